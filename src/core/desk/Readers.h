#pragma once

#include "core/loans/LoanList.h"

#include <QString>
#include <QStringList>

#include <vector>

// The readers who hold items, from a loans list already arranged: one per
// borrower name folded as the searches fold (A-Z case ignored, blanks
// around trimmed), in folded name order, each shown under the spelling most
// of its cards have (of spellings as common, the one of the most recent
// loan: the latest date, then the later card).
struct Reader {
    QString name;
    std::vector<Loan> items; // in the list's order: oldest first
    int overdue = 0;         // items the list marks
};

namespace Readers {

std::vector<Reader> of(const LoanList& loans);
// The readers with overdue items, each with those items alone.
std::vector<Reader> late(const LoanList& loans);
// Each reader's usual spelling, for completing a typed name.
QStringList names(const LoanList& loans);
// "Mario Rossi  (3 in prestito, 1 in ritardo)"
QString line(const Reader& reader);

} // namespace Readers
