#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Today's date and time, and the process-wide date format. Tests fix the
// clock and the regional date separator.
class Clock {
public:
    static QDateTime now();
    static QDate today() { return now().date(); }
    static void setFixed(const QDateTime& when); // invalid: the real clock again

    // The regional date separator ("/" where the region gives none).
    static QChar dateSeparator();
    static void setDateSeparator(QChar separator); // null: the region's again

    // "dd/mm/yyyy" with the regional separator, whatever the regional order.
    static QString shortDate(const QDate& date);
    // The time in the region's long format.
    static QString longTime(const QTime& time);
};
