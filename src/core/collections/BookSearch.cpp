#include "BookSearch.h"

#include "core/search/SearchTable.h"
#include "core/storage/Layouts.h"

namespace {

constexpr SearchFilter kFilters[] = {
    {"txtTitolo", "Titolo", "Titolo libro:"},
    {"txtCodice", "Codice", "Codice identificativo:"},
    {"txtAutore", "Autore", "Autore:"},
    {"txtCuratore", "Curatore", "Curatore:"},
    {"txtGenere", "Genere", "Genere:"},
    {"txtEditore", "Editore", "Casa editrice:"},
    {"txtIsbn", "Isbn", "ISBN:"},
    {"txtLingua", "Lingua", "Lingua:"},
    {"txtDewey", "Dewey", "Codice Dewey:"},
    {"txtNote", "Note", "Note:"},
};

// "Cod. " code(24) "  " title(50) "  " author(30) "  " city " " publisher " " year:
// the city always begins at character 116.
constexpr LinePiece kLine[] = {
    {"Cod. ", "Codice", 24},
    {"  ", "Titolo", 50},
    {"  ", "Autore", 30},
    {"  ", "Citta", LinePiece::kUnfitted},
    {" ", "Editore", LinePiece::kUnfitted},
    {" ", "Anno", LinePiece::kUnfitted},
};

constexpr std::string_view kLoan[] = {"Prestato", "Scadenza"};

const SearchTable kSearch{
    &TSchedaLibro,
    kFilters,
    {"Annullata", "No", {}},
    kLine,
    1400,
    " Trova libri in archivio",
    "Riepilogo libri in archivio",
    "libri",
};

const SearchTable kAvailable{
    &TSchedaLibro,
    kFilters,
    {"Annullata", "No", kLoan},
    kLine,
    1400,
    " Trova libri disponibili per il prestito",
    "Riepilogo libri disponibili per il prestito",
    "libri",
};

} // namespace

namespace BookSearch {

const SearchTable& search() { return kSearch; }
const SearchTable& available() { return kAvailable; }

} // namespace BookSearch
