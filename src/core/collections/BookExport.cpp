#include "BookExport.h"

#include "core/collections/ExportTable.h"
#include "core/storage/Layouts.h"

namespace {

// Grid caption, grid width, editable, field, file caption, file width.
constexpr ExportColumn kColumns[] = {
    {"Titolo libro", 350, false, "Titolo", "Titolo libro", 350},
    {"Codice identificativo", 200, false, "Codice", "Codice identificativo", 250},
    {"Scaffale", 200, false, "Scaffale", "Scaffale", 250},
    {"Autore", 300, true, "Autore", "Autore", 280},
    {"Nazione", 250, true, "Nazione", "Nazione", 250},
    {"Curatore", 250, false, "Curatore", "Curatore", 250},
    {"Codice Dewey", 120, false, "Dewey", "Codice Dewey", 150},
    {"Pagine", 120, false, "Pagine", "Pagine", 100},
    {"Genere", 250, false, "Genere", "Genere", 250},
    {"Giudizio", 250, true, "Giudizio", "Giudizio", 250},
    {"Casa editrice", 250, true, "Editore", "Casa editrice", 250},
    {"ISBN", 200, false, "Isbn", "ISBN", 200},
    {"Città pubblicazione", 250, false, "Citta", "Città pubblicazione", 250},
    {"Anno pubblicazione", 180, false, "Anno", "Anno pubblicazione", 200},
    {"Volumi", 200, true, "Volumi", "Volumi", 200},
    {"Prezzo", 200, false, "Prezzo", "Prezzo", 200},
    {"Collana", 250, false, "Collana", "Collana", 250},
    {"Formato", 250, false, "Formato", "Formato", 250},
    {"Titolo originale", 300, true, "Originale", "Titolo originale", 300},
    {"Lingua", 250, true, "Lingua", "Lingua", 250},
    {"Prima pubblicazione", 200, true, "Prima", "Prima pubblicazione", 200},
    {"Traduttore", 250, false, "Traduttore", "Traduttore", 250},
    {"Versione", 200, true, "Versione", "Versione", 250},
    {"Note", 300, true, "Note", "Note", 350},
    {"Scheda annullata", 120, true, "Annullata", "Scheda annullata", 150},
};

const ExportTable kTable{
    .layout = &TSchedaLibro,
    .columns = kColumns,
    .sheetName = "Riepilogo Libri",
    .fileName = "Libri.xls",
    .caption = " Esporta archivio libri in Microsoft Excel",
};

} // namespace

namespace BookExport {

const ExportTable& table() { return kTable; }

} // namespace BookExport
