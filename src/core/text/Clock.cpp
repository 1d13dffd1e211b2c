#include "Clock.h"

#include <QLocale>
#include <QRegularExpression>

namespace {
QDateTime& fixedNow()
{
    static QDateTime when;
    return when;
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
    // The region's separator when it has a usual one; a locale without a
    // numeric date (C, POSIX) would otherwise give a blank or a letter.
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    for (const QChar ch : format) {
        if (ch == QLatin1Char('/') || ch == QLatin1Char('.') || ch == QLatin1Char('-'))
            return ch;
    }
    return QLatin1Char('/');
}

QString Clock::shortDate(const QDate& date)
{
    const QChar sep = dateSeparator();
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
