#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class Record;
struct Collection;
struct SearchTable;

// What every benchmark program shares: archives written by the command
// line's own card generator, the process's resident memory, and a main
// that runs the benchmarks inside the application object.
namespace BenchSupport {

// How an archive reached the disk. The same bytes read at different speeds:
// the page cache holds a file written one card at a time in small pieces,
// and one written in large batches in large ones.
enum class Growth {
    CardByCard, // one write and one flush per card, as the card screen's Save does
    Bulk,       // a thousand cards per write, as `tomaria-cli sample` does
};
constexpr Growth kGrowths[] = {Growth::CardByCard, Growth::Bulk};
const char* name(Growth growth);

// Writes `count` generated cards of `collection` into `path`;
// `adjust` may change each card (numbered from 1) before it is written.
void writeSampleArchive(const QString& path, const Collection& collection, int count, std::uint32_t seed, Growth growth,
    const std::function<void(Record&, int)>& adjust = {});

// The program folder that holds the archive of `count` generated cards of
// `collection` (archive name of the collection, year 2020 for articles),
// grown as `growth` says, in build/bench/archives (or
// $TOMARIA_BENCH_ARCHIVES), read through once so that it is in the cache.
// Book codes are spread over the archive so that the list order is not the
// archive order. An archive written card by card is written anew at its
// first use in a run (about a minute and a half per 100,000 cards); one
// written in bulk is kept between runs.
QString sampleFolder(const Collection& collection, int count, Growth growth);
QString sampleArchive(const Collection& collection, int count, Growth growth);

// With `wanted`, makes the compact copy of the searched fields of `table`
// beside `archive` (the searches then read through it) and says whether it
// is there; without, removes it and keeps searches from making it again.
bool compactCopy(const QString& archive, const SearchTable& table, bool wanted);

long residentKiB();
// The process's highest resident memory since the last reset.
long peakResidentKiB();
void resetPeakResident();

// Runs the registered benchmarks on the offscreen platform (unless another
// is set); with `withScreens` the 23 start-up screens exist meanwhile.
// `prepare` runs once before any measurement.
int run(int argc, char** argv, bool withScreens, const std::function<void()>& prepare = {});

} // namespace BenchSupport
