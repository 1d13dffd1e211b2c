#pragma once

#include "CoreSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "core/storage/Record.h"

#include <QDateTime>

#include <initializer_list>

// Book and DVD archives with every kind of loan date, shared by the tests
// of the loans list (core) and of its screen.
namespace LoanFixtures {

// Today for every test: 15 March 2025.
inline const QDateTime kToday(QDate(2025, 3, 15), QTime(10, 0));

struct Card {
    const char* title;
    const char* borrower;
    const char* date;
    const char* cancelled;
};

inline QByteArray archive(const RecordLayout& layout, std::initializer_list<Card> cards)
{
    QByteArray bytes;
    int n = 0;
    for (const Card& c : cards) {
        Record r(layout);
        r.setText("Titolo", QString::fromUtf8(c.title));
        r.setText("Codice", QStringLiteral("C%1").arg(++n));
        r.setText("Convalida", QStringLiteral("No"));
        r.setText("Prestato", QString::fromUtf8(c.borrower));
        r.setText("Scadenza", QString::fromUtf8(c.date));
        r.setText("Annullata", QString::fromUtf8(c.cancelled));
        bytes += r.bytes();
    }
    return bytes;
}

inline void writeArchives(const TestFolder& folder)
{
    folder.write(QStringLiteral("Libri.pro"),
        archive(TSchedaLibro,
            {
                {"Lent 30 days ago", "Rossi", "13/02/2025", "No"},  // exactly N: not yet late
                {"Lent 31 days ago", "Bianchi", "12/2/2025", "No"}, // one more: late
                {"Free", "", "", "No"},                             // not on loan
                {"Cancelled", "Verdi", "01/01/2020", "S\u00ec"},    // left out
                {"Borrower only", "Neri", "", "No"},                // no date: last
                {"Impossible date", "Gialli", "31/02/2025", "No"},  // cannot be read: last
                {"Lent today", "", "15/03/2025", "No"},             // a date alone is a loan
                {"Two-digit year", "Maestra Anna (prestito di classe)", "15/11/26", "No"},
            }));
    folder.write(QStringLiteral("DVD.pro"),
        archive(TSchedaDVD,
            {
                {"Due yesterday", "Rossi", "14/03/2025", "No"}, // late
                {"Due today", "Bianchi", "15/03/2025", "No"},   // not yet
                {"Due long ago", "Verdi", "01/12/2024", "No"},  // late, oldest of all
                {"Words", "Blu", "fine mese", "No"},            // cannot be read: last
                {"Cancelled DVD", "Rosa", "01/01/2024", "S\u00ec"}, {"Year first", "Blu", "2026-11-15", "No"},
                {"No due date", "Viola", "", "No"}, // found by the available search
            }));
}

} // namespace LoanFixtures
