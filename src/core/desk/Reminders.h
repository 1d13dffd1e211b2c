#pragma once

#include <QDate>
#include <QString>

#include <vector>

class LoanList;

// A reminder letter to one reader with overdue items: what the printed
// page says, from the loans list (arranged) and the desk's settings.
struct ReminderLetter {
    struct Item {
        QString title, code;
        QString when; // "prestato il 01/02/2026" or "da restituire entro il 15/02/2026"
    };
    QString library, place; // from the settings; either may be empty
    QString dated;          // "Torino, 11/12/2026" (the date alone without a place)
    QString reader;         // as first written on a card
    QString greeting;       // "Gentile Mario Rossi,"
    QString body;           // the polite request, before the items
    std::vector<Item> items;
    QString closing; // after the items
    QString signature;

    // The letter as plain lines, for the command line's check and the tests.
    QStringList lines() const;
};

namespace Reminders {

std::vector<ReminderLetter> letters(const LoanList& loans, const QDate& today);

} // namespace Reminders
