#include "Clock.h"

#include <QLocale>

namespace {
QDateTime& fixedNow()
{
    static QDateTime when;
    return when;
}
QChar& fixedSeparator()
{
    static QChar separator;
    return separator;
}
} // namespace

QDateTime Clock::now()
{
    return fixedNow().isValid() ? fixedNow() : QDateTime::currentDateTime();
}

void Clock::setFixed(const QDateTime& when)
{
    fixedNow() = when;
}

QChar Clock::dateSeparator()
{
    if (!fixedSeparator().isNull())
        return fixedSeparator();
    const QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    for (const QChar ch : format) {
        if (!ch.isLetter() && ch != QLatin1Char('\''))
            return ch;
    }
    return QLatin1Char('/');
}

void Clock::setDateSeparator(QChar separator)
{
    fixedSeparator() = separator;
}

QString Clock::shortDate(const QDate& date)
{
    const QChar sep = dateSeparator();
    return QStringLiteral("%1%4%2%4%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(sep);
}

QString Clock::longTime(const QTime& time)
{
    return QLocale::system().toString(time, QLocale::LongFormat);
}
