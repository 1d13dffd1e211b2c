#pragma once

struct ExportTable;

// A year's articles exported to "Articoli.xls", as a column table.
namespace ArticleExport {
const ExportTable& table();
} // namespace ArticleExport
