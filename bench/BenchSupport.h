#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class Record;
struct Collection;

// What every benchmark program shares: archives written by the command
// line's own card generator, the process's resident memory, and a main
// that runs the benchmarks inside the application object.
namespace BenchSupport {

// Writes `count` generated cards of `collection` into `path` in one go;
// `adjust` may change each card (numbered from 1) before it is written.
void writeSampleArchive(const QString& path, const Collection& collection, int count, std::uint32_t seed,
    const std::function<void(Record&, int)>& adjust = {});

long residentKiB();

// Runs the registered benchmarks on the offscreen platform (unless another
// is set); with `withScreens` the 23 start-up screens exist meanwhile.
// `prepare` runs once before any measurement.
int run(int argc, char** argv, bool withScreens, const std::function<void()>& prepare = {});

} // namespace BenchSupport
