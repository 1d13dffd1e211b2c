#include "Clock.h"

#include <QLocale>
#include <QRegularExpression>

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
    // Built piece by piece: chained arg() calls would read a "%4" followed
    // by the digits already put in as a placeholder of their own ("%403").
    const QString sep(dateSeparator());
    return QString::asprintf("%02d", date.day()) + sep + QString::asprintf("%02d", date.month()) + sep
        + QString::asprintf("%04d", date.year());
}

QString Clock::longTime(const QTime& time)
{
    // The region's long time format names the time zone too; a printed
    // sheet shows the time alone.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?"));
    format.remove(zone);
    return QLocale::system().toString(time, format.trimmed());
}
