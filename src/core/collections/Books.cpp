#include "Books.h"

#include "core/collections/Collection.h"
#include "core/collections/ExportTable.h"
#include "core/collections/SampleCards.h"
#include "core/search/SearchTable.h"
#include "core/storage/Record.h"

#include <array>

namespace {

// clang-format off
constexpr FieldDef kFields[] = {
    {"Titolo", 0, 250},       {"Codice", 251, 24},      {"Convalida", 276, 2},
    {"Scaffale", 279, 50},    {"Autore", 330, 50},      {"Nazione", 381, 50},
    {"Curatore", 432, 50},    {"Dewey", 483, 3},        {"Pagine", 487, 12},
    {"Genere", 500, 50},      {"Giudizio", 551, 50},    {"Editore", 602, 50},
    {"Isbn", 653, 50},        {"Citta", 704, 50},       {"Anno", 755, 30},
    {"Volumi", 786, 30},      {"Prezzo", 817, 30},      {"Collana", 848, 50},
    {"Formato", 899, 50},     {"Originale", 950, 250},  {"Lingua", 1201, 30},
    {"Prima", 1232, 30},      {"Traduttore", 1263, 50}, {"Versione", 1314, 30},
    {"Prestato", 1345, 120},  {"Scadenza", 1466, 10},   {"Note", 1477, 250},
    {"Annullata", 1728, 2},   {"File01", 1731, 250},    {"File02", 1982, 250},
    {"File03", 2233, 250},    {"Desc01", 2484, 250},    {"Desc02", 2735, 250},
    {"Desc03", 2986, 250},
};
// clang-format on
constexpr RecordLayout kLayout{"TSchedaLibro", 3237, SlotKind::LengthByte, kFields};
static_assert(std::size(kFields) == 34 && kLayout.isContiguous(), "book record must be 3237 bytes of slots");

// clang-format off
constexpr RequiredField kRequired[] = {
    {"Titolo", "Attenzione: per salvare la scheda è necessario indicare il titolo del libro."},
    {"Codice", "Attenzione: per salvare la scheda è necessario indicare il codice identificativo del libro."},
    {"Autore", "Attenzione: per salvare la scheda è necessario indicare l'autore del libro."},
};
// clang-format on

// clang-format off
constexpr FieldCaption kCaptions[] = {
    {"Titolo", "Titolo libro:"}, {"Codice", "Codice:"}, {"Scaffale", "Scaffale:"}, {"Autore", "Autore:"},
    {"Nazione", "Nazione:"}, {"Curatore", "Curatore:"}, {"Dewey", "Dewey:"}, {"Pagine", "Pagine:"},
    {"Genere", "Genere:"}, {"Giudizio", "Giudizio:"}, {"Editore", "Casa editrice:"}, {"Isbn", "ISBN:"},
    {"Citta", "Città:"}, {"Anno", "Anno:"}, {"Volumi", "Volumi:"}, {"Prezzo", "Prezzo:"},
    {"Collana", "Collana:"}, {"Formato", "Formato:"}, {"Originale", "Titolo originale:"}, {"Lingua", "Lingua:"},
    {"Prima", "1^ pubbl."}, {"Traduttore", "Traduttore:"}, {"Versione", "Versione:"}, {"Note", "Note:"},
    {"Prestato", "Prestato a:"}, {"Scadenza", "Data prestito:"},
};
// clang-format on

// clang-format off
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
// clang-format on

// "Cod. " code(24) "  " title(50) "  " author(30) "  " city " " publisher " " year:
// the city always begins at character 116.
// clang-format off
constexpr LinePiece kLine[] = {
    {"Cod. ", "Codice", 24},
    {"  ", "Titolo", 50},
    {"  ", "Autore", 30},
    {"  ", "Citta", LinePiece::kUnfitted},
    {" ", "Editore", LinePiece::kUnfitted},
    {" ", "Anno", LinePiece::kUnfitted},
};
// clang-format on

constexpr std::string_view kLoan[] = {"Prestato", "Scadenza"};

// A price keeps its final zeros ("12.50").
constexpr std::string_view kTextNumbers[] = {"Prezzo"};

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

// Grid caption, grid width, editable, field, file caption, file width.
// clang-format off
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
// clang-format on

const ExportTable kExport{
    .layout = &TSchedaLibro,
    .columns = kColumns,
    .sheetName = "Riepilogo Libri",
    .fileName = "Libri.xls",
    .caption = " Esporta archivio libri in Microsoft Excel",
};

constexpr LoanRule kLoans{
    .dateIsDue = false,
    .name = "Libro",
    .dateWords = "la data del prestito",
    .lateWords = "prestati da troppi giorni",
    .overdue = "prestati da più di %1 giorni",
};

// clang-format off
constexpr PrintSheet::Row kSheetRows[] = {
    {"Titolo libro:", "Titolo"}, {"Codice identificativo:", "Codice"}, {"Scaffale:", "Scaffale"},
    {"Autore:", "Autore"}, {"Nazione:", "Nazione"}, {"Curatore:", "Curatore"}, {"Codice Dewey:", "Dewey"},
    {"Pagine:", "Pagine"}, {"Genere:", "Genere"}, {"Giudizio:", "Giudizio"}, {"Casa editrice:", "Editore"},
    {"ISBN:", "Isbn"}, {"Città pubblicazione:", "Citta"}, {"Anno pubblicazione:", "Anno"}, {"Volumi:", "Volumi"},
    {"Prezzo:", "Prezzo"}, {"Collana:", "Collana"}, {"Formato:", "Formato"}, {"Titolo originale:", "Originale"},
    {"Lingua:", "Lingua"}, {"Prima pubblicazione:", "Prima"}, {"Traduttore:", "Traduttore"},
    {"Versione:", "Versione"}, {"Note:", "Note"}, {"Prestato a:", "Prestato"}, {"Data prestito:", "Scadenza"},
};
// clang-format on
constexpr PrintSheet kSheet{
    .windowCaption = " Stampa scheda libro",
    .reportName = "Scheda Libro",
    .title = "SCHEDA INFORMATIVA LIBRO",
    .rows = kSheetRows,
};

// clang-format off
constexpr StatsSection kStats[] = {
    StatsSection::totals(),
    {StatsKind::DeweyClass, "classe Dewey", "Libri per classe Dewey", "Dewey", "senza classe", 0},
    {StatsKind::Grouped, "genere", "Libri per genere", "Genere", "senza genere", 12},
    {StatsKind::Decade, "decennio", "Libri per decennio di pubblicazione", "Anno", "anno non leggibile", 0},
    {StatsKind::Grouped, "lingua", "Libri per lingua", "Lingua", "senza lingua", 12},
};
// clang-format on

constexpr std::array<const char*, 12> kPublishers = {"Einaudi", "Mondadori", "Feltrinelli", "Adelphi", "Bompiani", "Sellerio", "Laterza",
    "Garzanti", "Rizzoli", "Il Mulino", "Neri Pozza", "Zanichelli"};
constexpr std::array<const char*, 12> kCities = {
    "Torino", "Milano", "Roma", "Palermo", "Bologna", "Firenze", "Napoli", "Bari", "Venezia", "Forlì", "Cagliari", "L'Aquila"};
constexpr std::array<const char*, 12> kGenres = {"Narrativa", "Romanzo storico", "Romanzo giallo", "Poesia", "Saggistica", "Storia",
    "Filosofia", "Biografia", "Fantascienza", "Arte", "Musica", "Teatro"};

// A sound ISBN-13 of an Italian publisher: 978-88, the publisher's four
// digits, the title's three and the check digit.
QString isbn13(int publisher, int title)
{
    const QString digits = QStringLiteral("97888%1%2").arg(publisher, 4, 10, QLatin1Char('0')).arg(title, 3, 10, QLatin1Char('0'));
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += (i % 2 == 0 ? 1 : 3) * digits.at(i).digitValue();
    return QStringLiteral("978-88-%1-%2-%3").arg(digits.mid(5, 4), digits.mid(9, 3)).arg((10 - sum % 10) % 10);
}

void fill(SampleCards& w, Record& r, int serial)
{
    r.setText("Titolo", w.title());
    r.setText("Codice", QStringLiteral("L%1").arg(serial, 6, 10, QLatin1Char('0')));
    r.setText("Convalida", QStringLiteral("No"));
    r.setText("Scaffale", QStringLiteral("%1-%2").arg(QChar(u'A' + w.below(8))).arg(1 + w.below(20)));
    r.setText("Autore", w.person());
    r.setText("Nazione", w.country());
    if (w.chance(15))
        r.setText("Curatore", w.person());
    r.setText("Dewey", QStringLiteral("%1").arg(100 * w.below(10) + w.below(100), 3, 10, QLatin1Char('0')));
    r.setText("Pagine", QString::number(80 + w.below(900)));
    r.setText("Genere", w.pick(kGenres));
    r.setText("Giudizio", w.judgement());
    r.setText("Editore", w.pick(kPublishers));
    const int publisher = w.below(10000);
    r.setText("Isbn", isbn13(publisher, w.below(1000)));
    r.setText("Citta", w.pick(kCities));
    r.setText("Anno", QString::number(1950 + w.below(76)));
    r.setText("Volumi", QStringLiteral("1"));
    r.setText("Prezzo", QStringLiteral("%1,%2 €").arg(5 + w.below(40)).arg(w.below(100), 2, 10, QLatin1Char('0')));
    r.setText("Lingua", w.language());
    if (w.chance(30)) {
        r.setText("Originale", w.title());
        r.setText("Traduttore", w.person());
    }
    if (w.chance(20)) {
        r.setText("Prestato", w.person());
        r.setText("Scadenza", w.date(2024, 2026));
    }
    if (w.chance(10))
        r.setText("Note", QStringLiteral("Copia con dedica dell'autore."));
    r.setText("Annullata", w.chance(5) ? QStringLiteral("S\u00ec") : QStringLiteral("No"));
}

} // namespace

const RecordLayout TSchedaLibro = kLayout;

namespace Books {

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
        .key = "books",
        .callerTag = "libri",
        .layout = &TSchedaLibro,
        .archiveFile = "Libri.pro",
        .yearlySuffix = {},
        .required = kRequired,
        .search = &kSearch,
        .available = &kAvailable,
        .exportTable = &kExport,
        .picture = "libri",
        .cardHelp = {"libri", "Applicazione Archivio Libri."},
        .exportHelp = {"esporta_libri", "Esportazione archivio libri in Microsoft Excel."},
        .loans = &kLoans,
        .sheet = &kSheet,
        .sample = &fill,
        .plural = "libri",
        .article = "i",
        .caption = "Libri",
        .roles = {.code = "Codice",
            .title = "Titolo",
            .person = "Autore",
            .shelf = "Scaffale",
            .dewey = "Dewey",
            .isbn = "Isbn",
            .borrower = "Prestato",
            .loanDate = "Scadenza"},
        .textNumbers = kTextNumbers,
        .captions = kCaptions,
        .stats = kStats,
    };
    return c;
}

} // namespace Books
