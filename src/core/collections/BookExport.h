#pragma once

struct ExportTable;

// The book archive's export: grid columns, spreadsheet columns, sheet and
// file name ("Libri.xls").
namespace BookExport {
const ExportTable& table();
} // namespace BookExport
