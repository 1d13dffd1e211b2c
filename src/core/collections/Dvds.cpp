#include "Dvds.h"

#include "core/collections/Collection.h"
#include "core/collections/ExportTable.h"
#include "core/collections/SampleCards.h"
#include "core/search/SearchTable.h"
#include "core/storage/Record.h"

#include <array>

namespace {

// clang-format off
constexpr FieldDef kFields[] = {
    {"Titolo", 0, 250},           {"Codice", 251, 24},         {"Convalida", 276, 2},
    {"Scaffale", 279, 50},        {"Regia", 330, 50},          {"Nazione", 381, 50},
    {"Protagonista", 432, 50},    {"Anno", 483, 4},            {"Durata", 488, 30},
    {"Genere", 519, 50},          {"Giudizio", 570, 50},       {"Distribuzione", 621, 50},
    {"Sceneggiatura", 672, 50},   {"Collana", 723, 50},        {"Prezzo", 774, 30},
    {"Cast", 805, 250},           {"Contenuti", 1056, 250},    {"Originale", 1307, 250},
    {"Lingua", 1558, 30},         {"AltreLingue", 1589, 50},   {"Sottotitoli", 1640, 50},
    {"Premi", 1691, 50},          {"Note", 1742, 250},         {"Prestato", 1993, 120},
    {"Scadenza", 2114, 10},       {"Annullata", 2125, 2},      {"File01", 2128, 250},
    {"File02", 2379, 250},        {"File03", 2630, 250},       {"Desc01", 2881, 250},
    {"Desc02", 3132, 250},        {"Desc03", 3383, 250},
};
// clang-format on
constexpr RecordLayout kLayout{"TSchedaDVD", 3634, SlotKind::LengthByte, kFields};
static_assert(std::size(kFields) == 32 && kLayout.isContiguous(), "DVD record must be 3634 bytes of slots");

constexpr RequiredField kRequired[] = {
    {"Titolo", "Attenzione: per salvare la scheda è necessario indicare il titolo del DVD."},
    {"Codice", "Attenzione: per salvare la scheda è necessario indicare il codice identificativo del DVD."},
};

// clang-format off
constexpr FieldCaption kCaptions[] = {
    {"Titolo", "Titolo DVD:"}, {"Codice", "Codice:"}, {"Scaffale", "Scaffale:"}, {"Regia", "Regia:"},
    {"Nazione", "Nazione:"}, {"Protagonista", "Protagonista:"}, {"Anno", "Anno:"}, {"Durata", "Durata:"},
    {"Genere", "Genere:"}, {"Giudizio", "Giudizio:"}, {"Distribuzione", "Distribuzione:"},
    {"Sceneggiatura", "Sceneggiatura:"}, {"Collana", "Collana:"}, {"Prezzo", "Prezzo:"}, {"Cast", "Cast:"},
    {"Contenuti", "Contenuti:"}, {"Originale", "Titolo originale:"}, {"Lingua", "Lingua originale:"},
    {"AltreLingue", "Altre lingue:"}, {"Sottotitoli", "Sottotitoli:"}, {"Premi", "Premi:"}, {"Note", "Note:"},
    {"Prestato", "Prestato a:"}, {"Scadenza", "Scadenza:"},
};
// clang-format on

// clang-format off
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
// clang-format on

// The protagonist always begins at character 135 of the line.
// clang-format off
constexpr LinePiece kLine[] = {
    {"Cod. ", "Codice", 24},
    {"  ", "Titolo", 46},
    {"  Regia: ", "Regia", 28},
    {"  Anno: ", "Anno", 4},
    {"  Prot. ", "Protagonista", LinePiece::kUnfitted},
};
// clang-format on

constexpr std::string_view kDueDate[] = {"Scadenza"};

// A price keeps its final zeros ("12.50").
constexpr std::string_view kTextNumbers[] = {"Prezzo"};

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

// Grid caption, grid width, editable, field, file caption, file width.
// clang-format off
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
// clang-format on

const ExportTable kExport{
    .layout = &TSchedaDVD,
    .columns = kColumns,
    .sheetName = "Riepilogo DVD",
    .fileName = "DVD.xls",
    .caption = " Esporta archivio DVD in Microsoft Excel",
};

constexpr LoanRule kLoans{
    .dateIsDue = true,
    .name = "DVD",
    .dateWords = "la data di restituzione",
    .lateWords = "non restituiti entro la data indicata",
    .overdue = "oltre la data di restituzione",
    .undated = "un DVD senza scadenza risulta disponibile",
};

// clang-format off
constexpr PrintSheet::Row kSheetRows[] = {
    {"Titolo DVD:", "Titolo"}, {"Codice identificativo:", "Codice"}, {"Scaffale:", "Scaffale"},
    {"Regia:", "Regia"}, {"Nazione:", "Nazione"}, {"Protagonista:", "Protagonista"}, {"Anno:", "Anno"},
    {"Durata:", "Durata"}, {"Genere:", "Genere"}, {"Giudizio:", "Giudizio"},
    {"Distribuzione:", "Distribuzione"}, {"Sceneggiatura:", "Sceneggiatura"}, {"Collana:", "Collana"},
    {"Prezzo:", "Prezzo"}, {"Cast:", "Cast"}, {"Contenuti:", "Contenuti"}, {"Titolo originale:", "Originale"},
    {"Lingua originale:", "Lingua"}, {"Altre lingue:", "AltreLingue"}, {"Sottotitoli:", "Sottotitoli"},
    {"Premi:", "Premi"}, {"Note:", "Note"}, {"Prestato a:", "Prestato"}, {"Scadenza prestito:", "Scadenza"},
};
// clang-format on
constexpr PrintSheet kSheet{
    .windowCaption = " Stampa scheda DVD",
    .reportName = "Scheda DVD",
    .title = "SCHEDA INFORMATIVA DVD",
    .rows = kSheetRows,
};

// clang-format off
constexpr StatsSection kStats[] = {
    StatsSection::totals(),
    {StatsKind::Grouped, "genere", "DVD per genere", "Genere", "senza genere", 12},
    {StatsKind::Decade, "decennio", "DVD per decennio", "Anno", "anno non leggibile", 0},
    {StatsKind::Grouped, "lingua", "DVD per lingua", "Lingua", "senza lingua", 12},
};
// clang-format on

constexpr std::array<const char*, 10> kGenres = {
    "Commedia", "Drammatico", "Documentario", "Giallo", "Western", "Animazione", "Fantascienza", "Storico", "Musicale", "Thriller"};

void fill(SampleCards& w, Record& r, int serial)
{
    r.setText("Titolo", w.title());
    r.setText("Codice", QStringLiteral("D%1").arg(serial, 6, 10, QLatin1Char('0')));
    r.setText("Convalida", QStringLiteral("No"));
    r.setText("Scaffale", QStringLiteral("V-%1").arg(1 + w.below(30)));
    r.setText("Regia", w.person());
    r.setText("Nazione", w.country());
    r.setText("Protagonista", w.person());
    r.setText("Anno", QString::number(1945 + w.below(81)));
    r.setText("Durata", QStringLiteral("%1 min").arg(70 + w.below(110)));
    r.setText("Genere", w.pick(kGenres));
    r.setText("Giudizio", w.judgement());
    r.setText("Cast", QString(w.person() + QStringLiteral(", ") + w.person() + QStringLiteral(", ") + w.person()));
    r.setText("Lingua", w.language());
    r.setText("Sottotitoli", QStringLiteral("Italiano, Inglese"));
    if (w.chance(20)) {
        r.setText("Prestato", w.person());
        r.setText("Scadenza", w.date(2024, 2026));
    }
    r.setText("Annullata", w.chance(5) ? QStringLiteral("S\u00ec") : QStringLiteral("No"));
}

} // namespace

const RecordLayout TSchedaDVD = kLayout;

namespace Dvds {

const SearchTable& search()
{
    return kSearch;
}
const SearchTable& available()
{
    return kAvailable;
}
const ExportTable& exportTable()
{
    return kExport;
}

const Collection& collection()
{
    static const Collection c{
        .key = "dvd",
        .callerTag = "dvd",
        .layout = &TSchedaDVD,
        .archiveFile = "DVD.pro",
        .yearlySuffix = {},
        .required = kRequired,
        .search = &kSearch,
        .available = &kAvailable,
        .exportTable = &kExport,
        .picture = "dvd",
        .cardHelp = {"dvd", "Applicazione Archivio DVD."},
        .exportHelp = {"esporta_dvd", "Esportazione archivio DVD in Microsoft Excel."},
        .loans = &kLoans,
        .sheet = &kSheet,
        .sample = &fill,
        .plural = "DVD",
        .article = "i",
        .caption = "DVD",
        .roles = {.code = "Codice",
            .title = "Titolo",
            .person = "Regia",
            .shelf = "Scaffale",
            .dewey = {},
            .isbn = {},
            .borrower = "Prestato",
            .loanDate = "Scadenza"},
        .textNumbers = kTextNumbers,
        .captions = kCaptions,
        .stats = kStats,
    };
    return c;
}

} // namespace Dvds
