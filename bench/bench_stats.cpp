// The statistics of 100,000 generated books against a search with no
// filter over the same archive, turn by turn in one run, on an archive
// written card by card and on one written in bulk. The iteration time is
// the counting's; the counters give the medians of both and of their ratio.
#include "BenchSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/search/Search.h"
#include "core/stats/CollectionStats.h"
#include "core/storage/ProgramFolder.h"

#include <QDate>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using BenchSupport::Growth;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double millisecondsOf(const std::function<bool()>& work, bool& ok)
{
    const auto start = Clock::now();
    ok = work() && ok;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_Stats_Books_AgainstSearch(benchmark::State& state)
{
    const Collection& books = Books::collection();
    const QString path = BenchSupport::sampleArchive(books, 100000, Growth(state.range(0)));
    ProgramFolder::setPath(BenchSupport::sampleFolder(books, 100000, Growth(state.range(0))));
    const Search search(Books::search());
    std::vector<double> searchMs, statsMs, ratios;
    qint64 cards = 0;
    for (auto _ : state) {
        bool ok = true;
        QStringList lines;
        const double s = millisecondsOf([&] { return search.run(path, lines); }, ok);
        const double t = millisecondsOf(
            [&] {
                CollectionStats stats(books, QDate(2026, 1, 1), 30);
                const bool loaded = stats.load();
                cards = stats.results().front().bars.front().count;
                return loaded;
            },
            ok);
        if (!ok)
            state.SkipWithError("reading failed");
        state.SetIterationTime(t / 1000.0);
        searchMs.push_back(s);
        statsMs.push_back(t);
        ratios.push_back(t / s);
    }
    state.counters["cards"] = static_cast<double>(cards);
    state.counters["search_ms"] = median(searchMs);
    state.counters["stats_ms"] = median(statsMs);
    state.counters["ratio"] = median(ratios);
    state.SetLabel(BenchSupport::name(Growth(state.range(0))));
}

BENCHMARK(BM_Stats_Books_AgainstSearch)
    ->ArgName("growth")
    ->Arg(int(Growth::CardByCard))
    ->Arg(int(Growth::Bulk))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, false);
}
