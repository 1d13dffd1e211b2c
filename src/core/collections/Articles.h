#pragma once

#include "core/storage/RecordLayout.h"

struct Collection;
struct ExportTable;
struct SearchTable;

// The newspaper articles: one "YYYY.art" archive a year, 7706-byte cards.
// Everything the program knows of it is in its own file: layout, required
// fields, roles, captions, searches, export, loans, card sheet, statistics
// and sample filler.
extern const RecordLayout TSchedaArticolo;

namespace Articles {

const Collection& collection();
const SearchTable& search();
const ExportTable& exportTable();

} // namespace Articles
