#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <string_view>

// The text rules shared by every collection: a blank is any character with
// code 32 or less, and ignoring case folds only A-Z.
namespace Text {

constexpr bool isBlank(char16_t ch)
{
    return ch <= 32;
}
constexpr bool isBlank(char ch)
{
    return static_cast<unsigned char>(ch) <= 32;
}

QString trimmed(QStringView text);
std::string_view trimmed(std::string_view bytes);

constexpr char foldAZ(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
constexpr char16_t foldAZ(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}
constexpr char upperAZ(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
constexpr char16_t upperAZ(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
}

// The program's tables keep their texts as string views: captions and
// messages in UTF-8, field and file names in plain ASCII.
inline QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString foldAZ(QStringView text);
QString upperAZ(QStringView text);

// Items the Italian way: "uno", "uno e due", "uno, due e tre".
QString listed(const QStringList& items);

// A count and its noun, in the singular for one: "1 scheda", "3 schede",
// "0 schede". Every message that counts says it this way.
QString counted(qint64 count, QStringView singular, QStringView plural);

} // namespace Text
