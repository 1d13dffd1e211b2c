#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: a check that stops the run with a crash
// the fuzzer keeps as a reproducer, and scratch files for the code under
// test that reads and writes real files.

#define FUZZ_CHECK(condition)                                                                                                              \
    do {                                                                                                                                   \
        if (!(condition)) {                                                                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                                             \
            std::abort();                                                                                                                  \
        }                                                                                                                                  \
    } while (false)

namespace FuzzSupport {

// A file named `name` in a folder made once per process; removed at exit.
inline QString scratch(const QString& name)
{
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    return dir.filePath(name);
}

// Writes `bytes` as the whole file `path` and returns the path.
inline QString writeFile(const QString& path, const char* data, std::size_t size)
{
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(data, qint64(size)) == qint64(size));
    return path;
}

} // namespace FuzzSupport

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
