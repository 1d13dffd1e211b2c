#include "DvdSearch.h"

#include "core/search/SearchTable.h"
#include "core/storage/Layouts.h"

namespace {

constexpr SearchFilter kFilters[] = {
    {"txtTitolo", "Titolo", "Titolo DVD:"},
    {"txtCodice", "Codice", "Codice identificativo:"},
    {"txtRegia", "Regia", "Regia:"},
    {"txtProtagonista", "Protagonista", "Protagonista:"},
    {"txtGenere", "Genere", "Genere:"},
    {"txtCast", "Cast", "Cast:"},
    {"txtNazione", "Nazione", "Nazione:"},
    {"txtLingua", "Lingua", "Lingua originale:"},
    {"txtContenuti", "Contenuti", "Contenuti:"},
    {"txtNote", "Note", "Note:"},
};

// The protagonist always begins at character 135 of the line.
constexpr LinePiece kLine[] = {
    {"Cod. ", "Codice", 24},
    {"  ", "Titolo", 46},
    {"  Regia: ", "Regia", 28},
    {"  Anno: ", "Anno", 4},
    {"  Prot. ", "Protagonista", LinePiece::kUnfitted},
};

constexpr std::string_view kDueDate[] = {"Scadenza"};

const SearchTable kSearch{
    &TSchedaDVD,
    kFilters,
    {"Annullata", "No", {}},
    kLine,
    1400,
    " Trova DVD in archivio",
    "Riepilogo DVD in archivio",
    "dvd",
};

const SearchTable kAvailable{
    &TSchedaDVD,
    kFilters,
    {"Annullata", "No", kDueDate},
    kLine,
    1400,
    " Trova DVD disponibili per il prestito",
    "Riepilogo DVD disponibili per il prestito",
    "dvd",
};

} // namespace

namespace DvdSearch {

const SearchTable& search() { return kSearch; }
const SearchTable& available() { return kAvailable; }

} // namespace DvdSearch
