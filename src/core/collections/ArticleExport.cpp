#include "ArticleExport.h"

#include "core/collections/ExportTable.h"
#include "core/storage/Layouts.h"

namespace {

// The full text and the attachments are neither listed nor exported.
constexpr ExportColumn kColumns[] = {
    {"Titolo articolo", 300, true, "Titolo", "Titolo articolo", 300},
    {"Data pubblicazione", 150, true, "DataPub", "Data pubblicazione", 150},
    {"Genere", 250, false, "Genere", "Genere", 250},
    {"Nome autore", 250, false, "Autore", "Nome autore", 250},
    {"Nome testata", 250, false, "Testata", "Nome testata", 250},
    {"Numero", 200, false, "NumTestata", "Numero", 200},
    {"Sintesi", 350, true, "Sintesi", "Sintesi", 350},
    {"Valutazione", 300, true, "Valutazione", "Valutazione", 300},
    {"Note", 300, true, "Note", "Note", 300},
};

const ExportTable kTable{
    .layout = &TSchedaArticolo,
    .columns = kColumns,
    .sheetName = "Riepilogo Articoli",
    .fileName = "Articoli.xls",
    .caption = " Esporta schedario articoli giornalistici in Microsoft Excel",
};

} // namespace

namespace ArticleExport {

const ExportTable& table() { return kTable; }

} // namespace ArticleExport
