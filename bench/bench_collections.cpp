// Searches over archives made by the command line's own card generator
// (the cards `tomaria-cli sample` writes): books with no filter, one, three
// filters and the available-for-loan rule, and the full text of a year of
// articles.
#include "BenchSupport.h"

#include "core/collections/ArticleTables.h"
#include "core/collections/BookTables.h"
#include "core/search/Search.h"
#include "core/collections/Collection.h"
#include "core/storage/Record.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString makeArchive(const QTemporaryDir& dir, const Collection& c, int count, const QString& name)
{
    const QString path = dir.filePath(name);
    BenchSupport::writeSampleArchive(path, c, count, 42);
    return path;
}

struct Archives {
    QTemporaryDir dir;
    QString books = makeArchive(dir, Collection::books(), 100000, QStringLiteral("Libri.pro"));
    QString articles = makeArchive(dir, Collection::articles(), 20000, QStringLiteral("2020.art"));
};

Archives& archives()
{
    static Archives a;
    return a;
}

void runSearch(benchmark::State& state, const SearchTable& table, const QString& path,
    const std::vector<std::pair<std::string_view, QString>>& filters)
{
    Search search(table);
    for (const auto& [field, text] : filters)
        search.setFilter(field, text);
    QStringList lines;
    for (auto _ : state) {
        lines.clear();
        search.run(path, lines);
        benchmark::DoNotOptimize(lines.size());
    }
    state.counters["lines"] = static_cast<double>(lines.size());
}

void BM_Books_NoFilter(benchmark::State& s) { runSearch(s, BookTables::search(), archives().books, {}); }
void BM_Books_OneFilter(benchmark::State& s)
{
    runSearch(s, BookTables::search(), archives().books, {{"autore", QStringLiteral("calvino")}});
}
void BM_Books_ThreeFilters(benchmark::State& s)
{
    runSearch(s, BookTables::search(), archives().books,
        {{"autore", QStringLiteral("calvino")}, {"editore", QStringLiteral("einaudi")}, {"titolo", QStringLiteral("la")}});
}
void BM_Books_Available(benchmark::State& s) { runSearch(s, BookTables::available(), archives().books, {}); }
void BM_Articles_FullText(benchmark::State& s)
{
    runSearch(s, ArticleTables::search(), archives().articles, {{"testo", QStringLiteral("biblioteca comunale")}});
}

BENCHMARK(BM_Books_NoFilter)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_Books_OneFilter)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_Books_ThreeFilters)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_Books_Available)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_Articles_FullText)->Unit(benchmark::kMillisecond)->MinTime(1);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, false);
}
