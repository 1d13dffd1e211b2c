#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The scrambling of the access password. Each character is one
// Windows-1252 byte, XORed with the high byte of a 16-bit key state that
// then moves on with the scrambled byte; the result is written as two
// capital hexadecimal digits per character. Both routines handle at most
// 255 characters (an 8-bit counter), the rest is left out.
namespace Crypt {

inline constexpr int kMaxLength = 255;

// The stored value for a password. A character the code page cannot hold
// is scrambled as "?": the change-password screen refuses such passwords.
QString Cripta(QStringView password);

// The password for a stored value; small or capital digits, a final odd
// digit ignored. Fails on a pair that is not two hexadecimal digits.
std::optional<QString> Decripta(QStringView stored);

} // namespace Crypt
