#include "Collection.h"

#include "core/collections/ArticleExport.h"
#include "core/collections/ArticleTables.h"
#include "core/collections/BookExport.h"
#include "core/collections/BookTables.h"
#include "core/collections/DvdExport.h"
#include "core/collections/DvdTables.h"
#include "core/export/ExportTable.h"
#include "core/search/SearchTable.h"
#include "core/storage/Layouts.h"
#include "core/storage/Text.h"

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

} // namespace

const Collection& Collection::books()
{
    static const Collection c{"books", "libri", &TSchedaLibro, "Libri.pro", {}, kBookRequired,
        &BookTables::search(), &BookTables::available(), &BookExport::table()};
    return c;
}

const Collection& Collection::dvd()
{
    static const Collection c{"dvd", "dvd", &TSchedaDVD, "DVD.pro", {}, kDvdRequired,
        &DvdTables::search(), &DvdTables::available(), &DvdExport::table()};
    return c;
}

const Collection& Collection::articles()
{
    static const Collection c{"articles", "bibliografie", &TSchedaArticolo, {}, ".art", kArticleRequired,
        &ArticleTables::search(), nullptr, &ArticleExport::table()};
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
    static const Collection* const list[] = {&books(), &dvd(), &articles()};
    return list;
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
    return faults;
}
