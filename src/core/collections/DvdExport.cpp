#include "DvdExport.h"

#include "core/collections/ExportTable.h"
#include "core/storage/Layouts.h"

namespace {

// Grid caption, grid width, editable, field, file caption, file width.
constexpr ExportColumn kColumns[] = {
    {"Titolo DVD", 350, false, "Titolo", "Titolo DVD", 350},
    {"Codice identificativo", 200, false, "Codice", "Codice identificativo", 250},
    {"Scaffale", 200, false, "Scaffale", "Scaffale", 250},
    {"Regia", 250, true, "Regia", "Regia", 250},
    {"Nazione", 250, true, "Nazione", "Nazione", 250},
    {"Protagonista", 250, false, "Protagonista", "Protagonista", 250},
    {"Anno pubblicazione", 180, false, "Anno", "Anno", 150},
    {"Durata", 200, false, "Durata", "Durata", 200},
    {"Genere", 250, false, "Genere", "Genere", 250},
    {"Giudizio", 250, true, "Giudizio", "Giudizio", 250},
    {"Distribuzione", 250, false, "Distribuzione", "Distribuzione", 250},
    {"Sceneggiatura", 250, true, "Sceneggiatura", "Sceneggiatura", 250},
    {"Collana", 250, false, "Collana", "Collana", 250},
    {"Prezzo", 200, false, "Prezzo", "Prezzo", 200},
    {"Cast", 300, false, "Cast", "Cast", 350},
    {"Contenuti", 300, false, "Contenuti", "Contenuti", 350},
    {"Titolo originale", 300, true, "Originale", "Titolo originale", 300},
    {"Lingua originale", 250, true, "Lingua", "Lingua originale", 250},
    {"Altre lingue", 300, true, "AltreLingue", "Altre lingue", 300},
    {"Sottotitoli", 250, false, "Sottotitoli", "Sottotitoli", 250},
    {"Premi", 250, true, "Premi", "Premi", 250},
    {"Note", 300, true, "Note", "Note", 250},
    {"Scheda annullata", 120, true, "Annullata", "Scheda annullata", 150},
};

const ExportTable kTable{
    .layout = &TSchedaDVD,
    .columns = kColumns,
    .sheetName = "Riepilogo DVD",
    .fileName = "DVD.xls",
    .caption = " Esporta archivio DVD in Microsoft Excel",
};

} // namespace

namespace DvdExport {

const ExportTable& table() { return kTable; }

} // namespace DvdExport
