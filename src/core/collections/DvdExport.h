#pragma once

struct ExportTable;

// The DVD archive's export to "DVD.xls", as a column table.
namespace DvdExport {
const ExportTable& table();
} // namespace DvdExport
