#include "Collection.h"

#include "core/collections/ArticleExport.h"
#include "core/collections/ArticleSearch.h"
#include "core/collections/BookExport.h"
#include "core/collections/BookSearch.h"
#include "core/collections/DvdExport.h"
#include "core/collections/DvdSearch.h"
#include "core/collections/SampleCards.h"
#include "core/collections/ExportTable.h"
#include "core/search/SearchTable.h"
#include "core/storage/Layouts.h"
#include "core/text/Text.h"

#include <vector>

namespace {

constexpr RequiredField kBookRequired[] = {
    {"Titolo", "Attenzione: per salvare la scheda è necessario indicare il titolo del libro."},
    {"Codice", "Attenzione: per salvare la scheda è necessario indicare il codice identificativo del libro."},
    {"Autore", "Attenzione: per salvare la scheda è necessario indicare l'autore del libro."},
};
constexpr RequiredField kDvdRequired[] = {
    {"Titolo", "Attenzione: per salvare la scheda è necessario indicare il titolo del DVD."},
    {"Codice", "Attenzione: per salvare la scheda è necessario indicare il codice identificativo del DVD."},
};
constexpr RequiredField kArticleRequired[] = {
    {"Titolo", "Attenzione: per salvare la scheda è necessario indicare il titolo dell'articolo."},
};

constexpr LoanRule kBookLoans{
    .dateIsDue = false,
    .name = "Libro",
    .dateWords = "la data del prestito",
    .lateWords = "prestati da troppi giorni",
    .overdue = "prestati da più di %1 giorni",
};
constexpr LoanRule kDvdLoans{
    .dateIsDue = true,
    .name = "DVD",
    .dateWords = "la data di restituzione",
    .lateWords = "non restituiti entro la data indicata",
    .overdue = "oltre la data di restituzione",
    .undated = "un DVD senza scadenza risulta disponibile",
};

constexpr PrintSheet::Row kBookSheetRows[] = {
    {"Titolo libro:", "Titolo"}, {"Codice identificativo:", "Codice"}, {"Scaffale:", "Scaffale"},
    {"Autore:", "Autore"}, {"Nazione:", "Nazione"}, {"Curatore:", "Curatore"}, {"Codice Dewey:", "Dewey"},
    {"Pagine:", "Pagine"}, {"Genere:", "Genere"}, {"Giudizio:", "Giudizio"}, {"Casa editrice:", "Editore"},
    {"ISBN:", "Isbn"}, {"Città pubblicazione:", "Citta"}, {"Anno pubblicazione:", "Anno"}, {"Volumi:", "Volumi"},
    {"Prezzo:", "Prezzo"}, {"Collana:", "Collana"}, {"Formato:", "Formato"}, {"Titolo originale:", "Originale"},
    {"Lingua:", "Lingua"}, {"Prima pubblicazione:", "Prima"}, {"Traduttore:", "Traduttore"},
    {"Versione:", "Versione"}, {"Note:", "Note"}, {"Prestato a:", "Prestato"}, {"Data prestito:", "Scadenza"},
};
constexpr PrintSheet kBookSheet{
    .windowCaption = " Stampa scheda libro",
    .reportName = "Scheda Libro",
    .title = "SCHEDA INFORMATIVA LIBRO",
    .rows = kBookSheetRows,
};

constexpr PrintSheet::Row kDvdSheetRows[] = {
    {"Titolo DVD:", "Titolo"}, {"Codice identificativo:", "Codice"}, {"Scaffale:", "Scaffale"},
    {"Regia:", "Regia"}, {"Nazione:", "Nazione"}, {"Protagonista:", "Protagonista"}, {"Anno:", "Anno"},
    {"Durata:", "Durata"}, {"Genere:", "Genere"}, {"Giudizio:", "Giudizio"},
    {"Distribuzione:", "Distribuzione"}, {"Sceneggiatura:", "Sceneggiatura"}, {"Collana:", "Collana"},
    {"Prezzo:", "Prezzo"}, {"Cast:", "Cast"}, {"Contenuti:", "Contenuti"}, {"Titolo originale:", "Originale"},
    {"Lingua originale:", "Lingua"}, {"Altre lingue:", "AltreLingue"}, {"Sottotitoli:", "Sottotitoli"},
    {"Premi:", "Premi"}, {"Note:", "Note"}, {"Prestato a:", "Prestato"}, {"Scadenza prestito:", "Scadenza"},
};
constexpr PrintSheet kDvdSheet{
    .windowCaption = " Stampa scheda DVD",
    .reportName = "Scheda DVD",
    .title = "SCHEDA INFORMATIVA DVD",
    .rows = kDvdSheetRows,
};

// The collections in menu order; add() appends.
std::vector<const Collection*>& registered()
{
    static std::vector<const Collection*> list{&Collection::books(), &Collection::dvd(), &Collection::articles()};
    return list;
}

} // namespace

const Collection& Collection::books()
{
    static const Collection c{
        .key = "books",
        .callerTag = "libri",
        .layout = &TSchedaLibro,
        .archiveFile = "Libri.pro",
        .yearlySuffix = {},
        .required = kBookRequired,
        .search = &BookSearch::search(),
        .available = &BookSearch::available(),
        .exportTable = &BookExport::table(),
        .picture = "libri",
        .cardHelp = {"libri", "Applicazione Archivio Libri."},
        .exportHelp = {"esporta_libri", "Esportazione archivio libri in Microsoft Excel."},
        .loans = &kBookLoans,
        .sheet = &kBookSheet,
        .sample = &SampleCards::fillBook,
        .plural = "libri",
        .article = "i",
    };
    return c;
}

const Collection& Collection::dvd()
{
    static const Collection c{
        .key = "dvd",
        .callerTag = "dvd",
        .layout = &TSchedaDVD,
        .archiveFile = "DVD.pro",
        .yearlySuffix = {},
        .required = kDvdRequired,
        .search = &DvdSearch::search(),
        .available = &DvdSearch::available(),
        .exportTable = &DvdExport::table(),
        .picture = "dvd",
        .cardHelp = {"dvd", "Applicazione Archivio DVD."},
        .exportHelp = {"esporta_dvd", "Esportazione archivio DVD in Microsoft Excel."},
        .loans = &kDvdLoans,
        .sheet = &kDvdSheet,
        .sample = &SampleCards::fillDvd,
        .plural = "DVD",
        .article = "i",
    };
    return c;
}

const Collection& Collection::articles()
{
    static const Collection c{
        .key = "articles",
        .callerTag = "bibliografie",
        .layout = &TSchedaArticolo,
        .archiveFile = {},
        .yearlySuffix = ".art",
        .required = kArticleRequired,
        .search = &ArticleSearch::search(),
        .available = nullptr,
        .exportTable = &ArticleExport::table(),
        .picture = "articoli",
        .cardHelp = {"articoli", "Applicazione Articoli Giornalistici."},
        .exportHelp = {"esporta_articoli", "Esportazione schedario articoli giornalistici in Microsoft Excel."},
        .loans = nullptr,
        .sheet = nullptr,
        .sample = &SampleCards::fillArticle,
        .plural = "articoli",
        .article = "gli",
    };
    return c;
}

bool Collection::hasCancelledFlag() const
{
    return layout->find("Annullata") != nullptr;
}

QString Collection::archiveName(const QString& year) const
{
    if (!yearly())
        return Text::latin1(archiveFile);
    return Text::trimmed(year) + Text::latin1(yearlySuffix);
}

std::span<const Collection* const> Collection::all()
{
    return registered();
}

bool Collection::add(const Collection& collection)
{
    if (find(collection.key) || !collection.tableFaults().isEmpty())
        return false;
    for (const Collection* c : all()) {
        if (c->callerTag == collection.callerTag)
            return false;
    }
    registered().push_back(&collection);
    return true;
}

QString Collection::pluralWithArticle() const
{
    return Text::utf8(article) + QLatin1Char(' ') + Text::utf8(plural);
}

QStringList Collection::keys(bool (*has)(const Collection&))
{
    QStringList names;
    for (const Collection* c : all()) {
        if (has(*c))
            names << Text::latin1(c->key);
    }
    return names;
}

QStringList Collection::plurals(bool (*has)(const Collection&), bool withArticle)
{
    QStringList names;
    for (const Collection* c : all()) {
        if (has(*c))
            names << (withArticle ? c->pluralWithArticle() : Text::utf8(c->plural));
    }
    return names;
}

const Collection* Collection::find(std::string_view key)
{
    for (const Collection* c : all()) {
        if (c->key == key)
            return c;
    }
    return nullptr;
}

QStringList Collection::tableFaults() const
{
    QStringList faults;
    auto check = [&](const char* table, std::string_view field) {
        if (!field.empty() && !layout->find(field))
            faults << QStringLiteral("%1: %2").arg(QLatin1String(table), Text::latin1(field));
    };
    for (const RequiredField& r : required)
        check("required", r.field);
    for (const SearchTable* s : {search, available}) {
        if (!s)
            continue;
        if (s->layout != layout)
            faults << QStringLiteral("search: another layout");
        for (const SearchFilter& f : s->filters)
            check("filter", f.field);
        for (const LinePiece& p : s->line)
            check("line", p.field);
        check("skip", s->skip.flagField);
        for (std::string_view f : s->skip.mustBeEmpty)
            check("skip", f);
    }
    if (exportTable->layout != layout)
        faults << QStringLiteral("export: another layout");
    for (const ExportColumn& c : exportTable->columns)
        check("export", c.field);
    if (sheet) {
        for (const PrintSheet::Row& r : sheet->rows)
            check("sheet", r.field);
    }
    if (loans) {
        for (std::string_view f : {"Codice", "Titolo", "Prestato", "Scadenza"})
            check("loans", f);
        if (!available)
            faults << QStringLiteral("loans: no available search");
        if (loans->dateWords.empty() || loans->lateWords.empty() || loans->overdue.empty())
            faults << QStringLiteral("loans: no words for the loans screen");
    }
    if (!sample)
        faults << QStringLiteral("sample: no filler");
    if (plural.empty() || article.empty())
        faults << QStringLiteral("words: no plural");
    return faults;
}
