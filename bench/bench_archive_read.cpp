// How a search pass reads the archive: the same two-filter book search over
// 100,000 cards with each way of getting the records into memory, on the
// archive written card by card and on the one written in bulk. Mapping the
// whole file (plain, populated, with sequential advice), mapping windows of
// 8 MiB, block reads of several sizes, then the search on one thread and
// as it runs (pieces on both cores). Reports the highest resident
// memory during the pass above what the process held before it.
#include "BenchSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/search/ResultLines.h"
#include "core/search/Search.h"
#include "core/storage/RecordStore.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using BenchSupport::Growth;
using Visit = std::function<void(const char*)>;

constexpr int kCards = 100000;
constexpr long kRecord = 3237;

bool mapped(int fd, long n, long window, int flags, int advice, const Visit& visit)
{
    const long page = sysconf(_SC_PAGESIZE);
    for (long first = 0; first < n; first += window) {
        const long records = std::min(window, n - first);
        const long offset = first * kRecord / page * page;
        const long length = (first + records) * kRecord - offset;
        void* m = mmap(nullptr, std::size_t(length), PROT_READ, MAP_SHARED | flags, fd, offset);
        if (m == MAP_FAILED)
            return false;
        if (advice)
            madvise(m, std::size_t(length), advice);
        const char* base = static_cast<const char*>(m) + (first * kRecord - offset);
        for (long i = 0; i < records; ++i)
            visit(base + i * kRecord);
        munmap(m, std::size_t(length));
    }
    return true;
}

bool blocks(int fd, long n, long blockBytes, const Visit& visit)
{
    const long perBlock = std::max(1L, blockBytes / kRecord);
    std::vector<char> block(std::size_t(perBlock * kRecord));
    for (long first = 0; first < n; first += perBlock) {
        const long records = std::min(perBlock, n - first);
        if (pread(fd, block.data(), std::size_t(records * kRecord), off_t(first * kRecord)) != records * kRecord)
            return false;
        for (long i = 0; i < records; ++i)
            visit(block.data() + i * kRecord);
    }
    return true;
}

constexpr long kWindow = (8 << 20) / kRecord;

struct Reader {
    const char* name;
    std::function<bool(int fd, long n, const Visit&)> read;
};

const std::vector<Reader>& readers()
{
    // clang-format off
    static const std::vector<Reader> all = {
        {"map_whole", [](int fd, long n, const Visit& v) { return mapped(fd, n, n, 0, 0, v); }},
        {"map_whole_populate", [](int fd, long n, const Visit& v) { return mapped(fd, n, n, MAP_POPULATE, 0, v); }},
        {"map_whole_sequential", [](int fd, long n, const Visit& v) { return mapped(fd, n, n, 0, MADV_SEQUENTIAL, v); }},
        {"map_8MiB_windows_populate", [](int fd, long n, const Visit& v) { return mapped(fd, n, kWindow, MAP_POPULATE, 0, v); }},
        {"map_8MiB_windows_sequential", [](int fd, long n, const Visit& v) { return mapped(fd, n, kWindow, 0, MADV_SEQUENTIAL, v); }},
        {"read_64KiB_blocks", [](int fd, long n, const Visit& v) { return blocks(fd, n, 64 << 10, v); }},
        {"read_256KiB_blocks", [](int fd, long n, const Visit& v) { return blocks(fd, n, 256 << 10, v); }},
        {"read_1MiB_blocks", [](int fd, long n, const Visit& v) { return blocks(fd, n, 1 << 20, v); }},
        {"read_4MiB_blocks", [](int fd, long n, const Visit& v) { return blocks(fd, n, 4 << 20, v); }},
    };
    // clang-format on
    return all;
}

Search twoFilters()
{
    Search search(Books::search());
    search.setFilter("Autore", QStringLiteral("calvino"));
    search.setFilter("Titolo", QStringLiteral("notte"));
    return search;
}

void report(benchmark::State& state, long before, qsizetype lines, Growth growth, const char* how)
{
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["rss_growth_MiB"] = (BenchSupport::peakResidentKiB() - before) / 1024.0;
    state.SetLabel(QStringLiteral("%1 %2").arg(QLatin1String(BenchSupport::name(growth)), QLatin1String(how)).toStdString());
}

// One reader of the list with the search's own matching and lines.
void BM_Reader(benchmark::State& state)
{
    const Reader& reader = readers()[std::size_t(state.range(0))];
    const Growth growth = Growth(state.range(1));
    const QString path = BenchSupport::sampleArchive(Books::collection(), kCards, growth);
    const Search search = twoFilters();
    qsizetype found = 0;
    const long before = BenchSupport::residentKiB();
    BenchSupport::resetPeakResident();
    for (auto _ : state) {
        const int fd = ::open(qPrintable(path), O_RDONLY);
        struct stat st;
        fstat(fd, &st);
        ResultLines batch(Books::search());
        const bool ok = reader.read(fd, long(st.st_size / kRecord), [&](const char* record) {
            if (search.matches(record))
                batch.add(record);
        });
        ::close(fd);
        batch.sort();
        const QStringList lines = batch.toStrings();
        if (!ok)
            state.SkipWithError("read failed");
        found = lines.size();
    }
    report(state, before, found, growth, reader.name);
}

void allReaders(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"reader", "growth"})->Unit(benchmark::kMillisecond)->MinTime(1);
    for (Growth g : BenchSupport::kGrowths) {
        for (std::size_t r = 0; r < readers().size(); ++r)
            b->Args({long(r), long(g)});
    }
}
BENCHMARK(BM_Reader)->Apply(allReaders);

// The search on one thread, and as it runs.
void BM_Search(benchmark::State& state)
{
    const int threads = int(state.range(0));
    const Growth growth = Growth(state.range(1));
    const QString path = BenchSupport::sampleArchive(Books::collection(), kCards, growth);
    Search search = twoFilters();
    search.setThreads(threads);
    qsizetype found = 0;
    const long before = BenchSupport::residentKiB();
    BenchSupport::resetPeakResident();
    for (auto _ : state) {
        QStringList lines;
        if (!search.run(path, lines))
            state.SkipWithError("search failed");
        found = lines.size();
    }
    report(state, before, found, growth, threads == 1 ? "one thread" : "search as it runs");
}
BENCHMARK(BM_Search)
    ->ArgNames({"threads", "growth"})
    ->Args({1, int(Growth::CardByCard)})
    ->Args({0, int(Growth::CardByCard)})
    ->Args({1, int(Growth::Bulk)})
    ->Args({0, int(Growth::Bulk)})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, false);
}
