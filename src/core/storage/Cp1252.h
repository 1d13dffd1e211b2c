#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <string_view>

// Windows-1252, the single-byte code page of every file the program writes.
namespace Cp1252 {

// The byte for a character, or 0 when the code page has none for it.
unsigned char byteFor(char16_t ch);

// Converts text to Windows-1252; a character the code page cannot hold
// becomes "?". When `exact` is given it tells whether nothing was replaced.
QByteArray encode(QStringView text, bool* exact = nullptr);

QString decode(std::string_view bytes);

inline bool canEncode(QStringView text)
{
    bool exact = true;
    encode(text, &exact);
    return exact;
}

} // namespace Cp1252
