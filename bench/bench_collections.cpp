// Searches over archives made by the command line's own card generator
// (the cards `tomaria-cli sample` writes), each on an archive written card
// by card and on one written in bulk: books with no filter (100,000 and
// 400,000 cards), one, three filters and the available-for-loan rule, and
// the full text of a year of articles. Each reports the highest resident
// memory of the process during the search beside the memory it had before.
#include "BenchSupport.h"

#include "core/collections/Articles.h"
#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/search/Search.h"

#include <benchmark/benchmark.h>

namespace {

using BenchSupport::Growth;

void runSearch(benchmark::State& state, const SearchTable& table, const Collection& collection, int cards,
    const std::vector<std::pair<std::string_view, QString>>& filters)
{
    const QString path = BenchSupport::sampleArchive(collection, cards, Growth(state.range(0)));
    Search search(table);
    for (const auto& [field, text] : filters)
        search.setFilter(field, text);
    QStringList lines;
    const long before = BenchSupport::residentKiB();
    BenchSupport::resetPeakResident();
    for (auto _ : state) {
        lines.clear();
        if (!search.run(path, lines))
            state.SkipWithError("search failed");
        benchmark::DoNotOptimize(lines.size());
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["rss_before_MiB"] = before / 1024.0;
    state.counters["rss_peak_MiB"] = BenchSupport::peakResidentKiB() / 1024.0;
    state.SetLabel(BenchSupport::name(Growth(state.range(0))));
}

void BM_Books_NoFilter(benchmark::State& s)
{
    runSearch(s, Books::search(), Books::collection(), 100000, {});
}
void BM_Books_NoFilter_400k(benchmark::State& s)
{
    runSearch(s, Books::search(), Books::collection(), 400000, {});
}
void BM_Books_OneFilter(benchmark::State& s)
{
    runSearch(s, Books::search(), Books::collection(), 100000, {{"autore", QStringLiteral("calvino")}});
}
void BM_Books_ThreeFilters(benchmark::State& s)
{
    runSearch(s, Books::search(), Books::collection(), 100000,
        {{"autore", QStringLiteral("calvino")}, {"editore", QStringLiteral("einaudi")}, {"titolo", QStringLiteral("la")}});
}
void BM_Books_Available(benchmark::State& s)
{
    runSearch(s, Books::available(), Books::collection(), 100000, {});
}
void BM_Articles_FullText(benchmark::State& s)
{
    runSearch(s, Articles::search(), Articles::collection(), 20000, {{"testo", QStringLiteral("biblioteca comunale")}});
}

void bothGrowths(benchmark::internal::Benchmark* b)
{
    b->ArgName("growth")->Arg(int(Growth::CardByCard))->Arg(int(Growth::Bulk))->Unit(benchmark::kMillisecond)->MinTime(1);
}

BENCHMARK(BM_Books_NoFilter)->Apply(bothGrowths);
BENCHMARK(BM_Books_NoFilter_400k)->Apply(bothGrowths);
BENCHMARK(BM_Books_OneFilter)->Apply(bothGrowths);
BENCHMARK(BM_Books_ThreeFilters)->Apply(bothGrowths);
BENCHMARK(BM_Books_Available)->Apply(bothGrowths);
BENCHMARK(BM_Articles_FullText)->Apply(bothGrowths);

} // namespace

int main(int argc, char** argv)
{
    // Each archive is written at its first use, just before it is measured.
    return BenchSupport::run(argc, argv, false);
}
