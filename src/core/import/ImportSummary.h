#pragma once

#include "core/import/CardImport.h"

#include <QString>

// What an import came to, in one sentence: the same words on the "Importa
// ed esporta" screen and on the command line, which differ only in how
// they name the archive and the choice that lets repeated codes through.
namespace ImportSummary {

struct Voice {
    QString archive;         // the archive as shown to the reader
    QString allowDuplicates; // "--allow-duplicates", "\"accetta codici ripetuti\""
    QString checkOnly;       // added to a check's sentence: "(--dry-run)"; empty: nothing
};

// The sentence for `outcome` of `cards` (a check when `checkOnly`), ending
// with a full stop. A check that lists lines says how many instead of
// "nessun problema trovato"; an interrupted one says so.
QString sentence(const CardImport& cards, const CardImport::Outcome& outcome, bool checkOnly, const Voice& voice);

// The lines listed under the sentence, problems first: what refused the
// file or was let through, then what the cards will lack or was mended.
QStringList lines(const CardImport& cards);

} // namespace ImportSummary
