#include "Text.h"

namespace Text {

QString listed(const QStringList& items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.first(items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" e ") + items.last();
}

QString counted(qint64 count, QStringView singular, QStringView plural)
{
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? singular : plural).toString();
}

QString trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin].unicode()))
        ++begin;
    while (end > begin && isBlank(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin).toString();
}

std::string_view trimmed(std::string_view bytes)
{
    std::size_t begin = 0;
    std::size_t end = bytes.size();
    while (begin < end && isBlank(bytes[begin]))
        ++begin;
    while (end > begin && isBlank(bytes[end - 1]))
        --end;
    return bytes.substr(begin, end - begin);
}

QString foldAZ(QStringView text)
{
    QString out = text.toString();
    for (QChar& ch : out)
        ch = QChar(foldAZ(ch.unicode()));
    return out;
}

QString upperAZ(QStringView text)
{
    QString out = text.toString();
    for (QChar& ch : out)
        ch = QChar(upperAZ(ch.unicode()));
    return out;
}

} // namespace Text
