#pragma once

#include "core/loans/LoanList.h"

#include <QString>
#include <QStringList>

#include <vector>

// The readers who hold items, from a loans list already arranged: one per
// borrower name folded as the searches fold (A-Z case ignored, blanks
// around trimmed), shown as first written, in folded name order.
struct Reader {
    QString name;
    std::vector<Loan> items; // in the list's order: oldest first
    int overdue = 0;         // items the list marks
};

namespace Readers {

std::vector<Reader> of(const LoanList& loans);
// The readers with overdue items, each with those items alone.
std::vector<Reader> late(const LoanList& loans);
// The borrower names as first written, for completing a typed name.
QStringList names(const LoanList& loans);
// "Mario Rossi  (3 in prestito, 1 in ritardo)"
QString line(const Reader& reader);

} // namespace Readers
