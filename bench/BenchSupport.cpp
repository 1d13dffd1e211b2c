#include "BenchSupport.h"

#include "ui/registry/ScreenRegistry.h"
#include "ui/shell/Screens.h"
#include "ui/registry/Startup.h"
#include "core/collections/Collection.h"
#include "core/storage/Record.h"
#include "core/collections/SampleCards.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>

namespace BenchSupport {

void writeSampleArchive(const QString& path, const Collection& collection, int count, std::uint32_t seed,
    const std::function<void(Record&, int)>& adjust)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the archive %s", qPrintable(path));
    SampleCards cards(seed);
    Record record(*collection.layout);
    for (int i = 1; i <= count; ++i) {
        cards.fill(collection, record, i);
        if (adjust)
            adjust(record, i);
        file.write(record.bytes());
    }
}

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
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
