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

QString Clock::shortDate(const QDate& date)
{
    return QString::asprintf("%02d/%02d/%04d", date.day(), date.month(), date.year());
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
