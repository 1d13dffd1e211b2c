#pragma once

#include "core/storage/RecordLayout.h"

struct Collection;
struct ExportTable;
struct SearchTable;

// The DVD collection: "DVD.pro", 3634-byte cards.
// Everything the program knows of it is in its own file: layout, required
// fields, roles, captions, searches, export, loans, card sheet, statistics
// and sample filler.
extern const RecordLayout TSchedaDVD;

namespace Dvds {

const Collection& collection();
const SearchTable& search();
const SearchTable& available(); // not cancelled, not lent
const ExportTable& exportTable();

} // namespace Dvds
