#include "Articles.h"

#include "core/collections/Collection.h"
#include "core/collections/ExportTable.h"
#include "core/collections/SampleCards.h"
#include "core/search/SearchTable.h"
#include "core/storage/Record.h"

#include <array>

namespace {

// clang-format off
constexpr FieldDef kFields[] = {
    {"Titolo", 0, 250},      {"DataPub", 251, 10},    {"Genere", 262, 50},
    {"Autore", 313, 50},     {"Testata", 364, 50},    {"NumTestata", 415, 30},
    {"Testo", 446, 5000},    {"Sintesi", 5447, 250},  {"Valutazione", 5698, 250},
    {"Note", 5949, 250},     {"File01", 6200, 250},   {"File02", 6451, 250},
    {"File03", 6702, 250},   {"Desc01", 6953, 250},   {"Desc02", 7204, 250},
    {"Desc03", 7455, 250},
};
// clang-format on
constexpr RecordLayout kLayout{"TSchedaArticolo", 7706, SlotKind::ZeroTerminated, kFields};
static_assert(std::size(kFields) == 16 && kLayout.isContiguous(), "article record must be 7706 bytes of slots");

constexpr RequiredField kRequired[] = {
    {"Titolo", "Attenzione: per salvare la scheda è necessario indicare il titolo dell'articolo."},
};

// clang-format off
constexpr FieldCaption kCaptions[] = {
    {"Titolo", "Titolo articolo:"}, {"DataPub", "Data pubblicazione:"}, {"Genere", "Genere:"},
    {"Autore", "Nome autore:"}, {"Testata", "Nome testata:"}, {"NumTestata", "Numero:"},
    {"Testo", "Testo articolo:", true}, {"Sintesi", "Sintesi:"}, {"Valutazione", "Valutazione:"}, {"Note", "Note:"},
};
// clang-format on

// clang-format off
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
// clang-format on

// No code prefix, so the list is in title order; the newspaper always
// begins at character 120.
// clang-format off
constexpr LinePiece kLine[] = {
    {"", "Titolo", 50},
    {"  Data: ", "DataPub", 10},
    {"  Autore: ", "Autore", 30},
    {"  Testata: ", "Testata", LinePiece::kUnfitted},
};
// clang-format on

// The publication date, and the issue number that keeps its leading
// zeros ("007").
constexpr std::string_view kDateFields[] = {"DataPub"};
constexpr std::string_view kTextNumbers[] = {"NumTestata"};

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

// The full text and the attachments are neither listed nor exported.
// clang-format off
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
// clang-format on

const ExportTable kExport{
    .layout = &TSchedaArticolo,
    .columns = kColumns,
    .sheetName = "Riepilogo Articoli",
    .fileName = "Articoli.xls",
    .caption = " Esporta schedario articoli giornalistici in Microsoft Excel",
};

constexpr StatsSection kStats[] = {
    StatsSection::totals(),
    {StatsKind::PerArchive, "archivio", "Articoli per archivio annuale", {}, {}, 0},
    {StatsKind::Grouped, "testata", "Articoli per testata", "Testata", "senza testata", 12},
};

constexpr std::array<const char*, 8> kNewspapers = {
    "Corriere della Sera", "la Repubblica", "La Stampa", "Il Sole 24 Ore", "Il Messaggero", "Avvenire", "Il Mattino", "La Nazione"};
constexpr std::array<const char*, 8> kSections = {"Cultura", "Cronaca", "Economia", "Esteri", "Politica", "Scienza", "Spettacoli", "Sport"};

void fill(SampleCards& w, Record& r, int serial)
{
    Q_UNUSED(serial);
    r.setText("Titolo", w.title());
    r.setText("DataPub", w.date(2020, 2026));
    r.setText("Genere", w.pick(kSections));
    r.setText("Autore", w.person());
    r.setText("Testata", w.pick(kNewspapers));
    r.setText("NumTestata", QString::number(1 + w.below(365)));
    r.setText("Testo", w.articleText());
    r.setText("Sintesi", w.sentence());
    r.setText("Valutazione", w.judgement());
}

} // namespace

const RecordLayout TSchedaArticolo = kLayout;

namespace Articles {

const SearchTable& search()
{
    return kSearch;
}
const ExportTable& exportTable()
{
    return kExport;
}

const Collection& collection()
{
    static const Collection c{
        .key = "articles",
        .callerTag = "bibliografie",
        .layout = &TSchedaArticolo,
        .archiveFile = {},
        .yearlySuffix = ".art",
        .required = kRequired,
        .search = &kSearch,
        .available = nullptr,
        .exportTable = &kExport,
        .picture = "articoli",
        .cardHelp = {"articoli", "Applicazione Articoli Giornalistici."},
        .exportHelp = {"esporta_articoli", "Esportazione schedario articoli giornalistici in Microsoft Excel."},
        .loans = nullptr,
        .sheet = nullptr,
        .sample = &fill,
        .plural = "articoli",
        .article = "gli",
        .caption = "Articoli",
        .roles = {.code = {}, .title = "Titolo", .person = "Autore", .shelf = {}, .dewey = {}, .isbn = {}, .borrower = {}, .loanDate = {}},
        .dateFields = kDateFields,
        .textNumbers = kTextNumbers,
        .captions = kCaptions,
        .stats = kStats,
    };
    return c;
}

} // namespace Articles
