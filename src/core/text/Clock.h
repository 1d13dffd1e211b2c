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

    // The region's date separator: "/", "." or "-"; "/" where the region
    // gives none of them.
    static QChar dateSeparator();
    // "dd/mm/yyyy" with the region's separator, whatever the region's order.
    static QString shortDate(const QDate& date);
    // The time in the region's long format.
    static QString longTime(const QTime& time);
};
