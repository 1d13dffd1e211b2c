#pragma once

#include "core/export/CardCsv.h"

#include <QString>

struct Collection;

// The complete export as a spreadsheet file (.xlsx): every field of every
// card, the columns named as in the complete CSV so that the import reads
// them back. Every value is a text cell with the text number format, so an
// office program shows "074", "000123", "3.10" or "03/03/2024" as written
// and saves them back as text; the header row is bold and frozen, the
// columns as wide as their content. One sheet, named after the collection.
// Empty values leave their cell empty. The file is written with
// libxlsxwriter in its constant-memory mode (one row held at a time).
namespace CardXlsx {

// The sheet's name: "Libri", "DVD", "Articoli".
QString sheetName(const Collection& collection);

// Creates `path` anew, whole or not at all (as CardCsv::save): any previous
// file stays as it was on failure. An archive of more cards than a sheet
// has rows is refused.
bool save(const Collection& collection, const QString& archivePath, const QString& path, CardCsv::Outcome* outcome = nullptr);

// Whether `path` is a workbook whose first sheet begins with the header
// row of one of the collections: a complete export a later one may replace.
bool isOurs(const QString& path);

} // namespace CardXlsx
