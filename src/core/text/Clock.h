#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Today's date and time, and the program's own date format. Tests fix the
// clock.
class Clock {
public:
    static QDateTime now();
    static QDate today() { return now().date(); }
    static void setFixed(const QDateTime& when); // invalid: the real clock again

    // "dd/mm/yyyy": the program sets its own format, so neither the region's
    // order nor its separator shows.
    static QString shortDate(const QDate& date);
    // The time in the region's long format.
    static QString longTime(const QTime& time);
};
