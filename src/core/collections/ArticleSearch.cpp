#include "ArticleSearch.h"

#include "core/search/SearchTable.h"
#include "core/storage/Layouts.h"

namespace {

constexpr SearchFilter kFilters[] = {
    {"txtTitolo", "Titolo", "Titolo articolo:"},
    {"txtDataPub", "DataPub", "Data pubblicazione (gg/mm/aaaa):"},
    {"txtGenere", "Genere", "Genere:"},
    {"txtAutore", "Autore", "Nome autore:"},
    {"txtTestata", "Testata", "Nome testata:"},
    {"txtNumTestata", "NumTestata", "Numero testata:"},
    {"txtTesto", "Testo", "Testo articolo:"},
    {"txtSintesi", "Sintesi", "Sintesi:"},
    {"txtValutazione", "Valutazione", "Valutazione:"},
    {"txtNote", "Note", "Note:"},
};

// No code prefix, so the list is in title order; the newspaper always
// begins at character 120.
constexpr LinePiece kLine[] = {
    {"", "Titolo", 50},
    {"  Data: ", "DataPub", 10},
    {"  Autore: ", "Autore", 30},
    {"  Testata: ", "Testata", LinePiece::kUnfitted},
};

const SearchTable kSearch{
    &TSchedaArticolo,
    kFilters,
    {"", "", {}},
    kLine,
    1600,
    " Trova articoli in schedario",
    "Riepilogo articoli in schedario",
    "bibliografie",
};

} // namespace

namespace ArticleSearch {

const SearchTable& search() { return kSearch; }

} // namespace ArticleSearch
