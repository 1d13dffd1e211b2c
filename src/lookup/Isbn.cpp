#include "Isbn.h"

namespace {

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

int digit(QChar c)
{
    return c.unicode() - u'0';
}

QString thirteenFromTen(QStringView ten)
{
    QString s = QStringLiteral("978") + ten.left(9).toString();
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += digit(s.at(i)) * (i % 2 == 0 ? 1 : 3);
    s += QChar(u'0' + (10 - sum % 10) % 10);
    return s;
}

QString tenFromThirteen(QStringView thirteen)
{
    QString s = thirteen.mid(3, 9).toString();
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += digit(s.at(i)) * (10 - i);
    const int check = (11 - sum % 11) % 11;
    s += check == 10 ? QChar(u'X') : QChar(u'0' + check);
    return s;
}

} // namespace

QString Isbn::normalised(QStringView typed)
{
    QString s;
    s.reserve(typed.size());
    for (QChar c : typed) {
        if (c == u'-' || c.unicode() <= 32 || c == QChar(0x2010) || c == QChar(0x2011) || c == QChar(0x00A0))
            continue;
        s += c == u'x' ? QChar(u'X') : c;
    }
    return s;
}

bool Isbn::wellFormed(QStringView s)
{
    if (s.size() == 13)
        return allDigits(s);
    if (s.size() == 10)
        return allDigits(s.left(9)) && (s.at(9) == u'X' || allDigits(s.right(1)));
    return false;
}

QStringList Isbn::forms(QStringView typed)
{
    const QString s = normalised(typed);
    if (!wellFormed(s))
        return {};
    if (s.size() == 10)
        return {s, thirteenFromTen(s)};
    if (s.startsWith(QLatin1String("978")))
        return {s, tenFromThirteen(s)};
    return {s}; // "979..." has no ISBN-10
}
