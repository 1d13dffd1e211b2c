#include "StatsTable.h"

#include "core/collections/Collection.h"

namespace {

constexpr StatsSection kTotals{StatsKind::Totals, "totale", "Totali", {}, {}, 0};
constexpr StatsSection kBooks[] = {
    kTotals,
    {StatsKind::DeweyClass, "classe Dewey", "Libri per classe Dewey", "Dewey", "senza classe", 0},
    {StatsKind::Grouped, "genere", "Libri per genere", "Genere", "senza genere", 12},
    {StatsKind::Decade, "decennio", "Libri per decennio di pubblicazione", "Anno", "anno non leggibile", 0},
    {StatsKind::Grouped, "lingua", "Libri per lingua", "Lingua", "senza lingua", 12},
};

constexpr StatsSection kDvd[] = {
    kTotals,
    {StatsKind::Grouped, "genere", "DVD per genere", "Genere", "senza genere", 12},
    {StatsKind::Decade, "decennio", "DVD per decennio", "Anno", "anno non leggibile", 0},
    {StatsKind::Grouped, "lingua", "DVD per lingua", "Lingua", "senza lingua", 12},
};

constexpr StatsSection kArticles[] = {
    kTotals,
    {StatsKind::PerArchive, "archivio", "Articoli per archivio annuale", {}, {}, 0},
    {StatsKind::Grouped, "testata", "Articoli per testata", "Testata", "senza testata", 12},
};

constexpr StatsSection kTotalsOnly[] = {kTotals};

constexpr StatsTable kTables[] = {
    {"books", "Libri", kBooks},
    {"dvd", "DVD", kDvd},
    {"articles", "Articoli", kArticles},
};

} // namespace

StatsTable StatsTable::of(const Collection& collection)
{
    for (const StatsTable& t : kTables) {
        if (t.collection == collection.key)
            return t;
    }
    // The key stands in for the caption: a new collection shows its totals
    // before anyone writes its table.
    return {collection.key, collection.key, kTotalsOnly};
}
