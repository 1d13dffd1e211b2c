#include "BenchSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "core/search/Search.h"
#include "core/search/SearchIndex.h"

#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/registry/Startup.h"
#include "core/collections/Collection.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/collections/SampleCards.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>

namespace BenchSupport {

const char* name(Growth growth)
{
    return growth == Growth::CardByCard ? "card_by_card" : "bulk";
}

void writeSampleArchive(const QString& path, const Collection& collection, int count, std::uint32_t seed, Growth growth,
    const std::function<void(Record&, int)>& adjust)
{
    QFile::remove(path);
    RecordStore store;
    if (!store.open(path, collection.layout->size))
        qFatal("cannot write the archive %s", qPrintable(path));
    SampleCards cards(seed);
    Record record(*collection.layout);
    constexpr int kBatch = 1000;
    QByteArray batch;
    for (int i = 1; i <= count; ++i) {
        cards.fill(collection, record, i);
        if (adjust)
            adjust(record, i);
        bool ok = true;
        if (growth == Growth::CardByCard) {
            ok = store.seek(store.count()) && store.write(record.bytes());
        } else {
            batch += record.bytes();
            if (i % kBatch == 0 || i == count) {
                ok = store.append(batch);
                batch.clear();
            }
        }
        if (!ok)
            qFatal("writing the archive %s failed", qPrintable(path));
    }
}

QString sampleFolder(const Collection& collection, int count, Growth growth)
{
    QString root = qEnvironmentVariable("TOMARIA_BENCH_ARCHIVES");
    if (root.isEmpty())
        root = QCoreApplication::applicationDirPath() + QStringLiteral("/../archives");
    const QString folder = QDir::cleanPath(QStringLiteral("%1/%2-%3-%4")
                                               .arg(root, QString::fromLatin1(collection.key.data(), qsizetype(collection.key.size())))
                                               .arg(count)
                                               .arg(QString::fromLatin1(name(growth))));
    const QString archive = folder + QLatin1Char('/') + collection.archiveName(QStringLiteral("2020"));
    // A file the system dropped from its cache comes back from the disk in
    // large pieces and no longer reads as one written card by card: that
    // kind is written anew once per run, the bulk kind is kept.
    static QSet<QString> writtenThisRun;
    const bool keep = growth == Growth::CardByCard ? writtenThisRun.contains(folder)
                                                   : QFileInfo(archive).size() == qint64(count) * collection.layout->size;
    if (!keep) {
        QDir().mkpath(folder);
        std::fprintf(stderr, "Writing %d cards %s into %s\n", count, name(growth), qPrintable(archive));
        // Written under another name and renamed when complete, so that an
        // interrupted run never leaves a short archive to be taken for a whole one.
        const QString part = archive + QStringLiteral(".part");
        writeSampleArchive(part, collection, count, 20240501, growth, [&](Record& record, int i) {
            if (&collection == &Books::collection() || &collection == &Dvds::collection())
                record.setText("Codice", QStringLiteral("L%1").arg((i * 7919LL) % 1000003, 7, 10, QLatin1Char('0')));
        });
        QFile::remove(archive);
        if (!QFile::rename(part, archive))
            qFatal("cannot rename %s", qPrintable(part));
        writtenThisRun.insert(folder);
    }
    // Read through once, so that measurements start with the archive in
    // the cache (reading leaves the pieces the cache holds it in as they are).
    QFile file(archive);
    if (file.open(QIODevice::ReadOnly)) {
        std::vector<char> block(1 << 20);
        while (file.read(block.data(), qint64(block.size())) > 0) { }
    }
    return folder;
}

QString sampleArchive(const Collection& collection, int count, Growth growth)
{
    return sampleFolder(collection, count, growth) + QLatin1Char('/') + collection.archiveName(QStringLiteral("2020"));
}

bool compactCopy(const QString& archive, const SearchTable& table, bool wanted)
{
    QFile::remove(SearchIndex::pathFor(archive));
    if (!wanted) {
        SearchIndex::setSettle(std::chrono::hours(24));
        return false;
    }
    // The benchmark's archives change only here: a copy may be made as soon
    // as the clock has moved past their last write.
    SearchIndex::setSettle(std::chrono::nanoseconds(0));
    Search search(table);
    QStringList lines;
    for (int tries = 0; tries < 100 && !QFile::exists(SearchIndex::pathFor(archive)); ++tries) {
        search.run(archive, lines);
        QThread::msleep(10);
    }
    return QFile::exists(SearchIndex::pathFor(archive));
}

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
}

long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

void resetPeakResident()
{
    // Linux: writing 5 resets the highest resident memory to the current one.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

int run(int argc, char** argv, bool withScreens, const std::function<void()>& prepare)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Startup::beforeApplication();
    QApplication app(argc, argv);
    Startup::configure(app);
    if (withScreens)
        Screens::createAll();
    if (prepare)
        prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (withScreens)
        Screens::destroyAll();
    return 0;
}

} // namespace BenchSupport
