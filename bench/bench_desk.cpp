// The lending desk at 100,000 generated books: the time from the Enter of
// a scan to the card shown on the desk screen (the code index already
// built, as it is from the first scan on), and the first scan, which makes
// the index from the compact search copy's codes when the copy is there
// (copy:1) or by reading every card (copy:0). Whole command-line processes
// against sqlite3: bench/desk_vs_sqlite.sh.
#include "BenchSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/desk/CodeIndex.h"
#include "core/desk/LendingDesk.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "ui/desk/TfrmBancoPrestiti.h"

#include <QLabel>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <random>

namespace {

using BenchSupport::Growth;

// Codes of cards spread over the archive.
QStringList someCodes(const QString& path, int count)
{
    const Collection& books = Books::collection();
    RecordStore store;
    QStringList codes;
    if (!store.open(path, books.layout->size, RecordStore::Mode::ReadExisting))
        return codes;
    std::mt19937 rng(11);
    Record record(*books.layout);
    for (int i = 0; i < count; ++i) {
        if (store.seek(static_cast<qint64>(rng() % static_cast<std::uint32_t>(store.count()))) && store.read(record.bytes()))
            codes << record.text("Codice");
    }
    return codes;
}

void BM_Desk_ScanToCardShown(benchmark::State& state)
{
    const Collection& books = Books::collection();
    const Growth growth = Growth(state.range(0));
    const QString path = BenchSupport::sampleArchive(books, 100000, growth);
    ProgramFolder::setPath(BenchSupport::sampleFolder(books, 100000, growth));
    const QStringList codes = someCodes(path, 64);
    TfrmBancoPrestiti desk;
    desk.show();
    // The first scan builds the index.
    desk.txtCodice()->setText(codes.value(0));
    desk.txtCodiceEnter();
    int i = 0;
    for (auto _ : state) {
        desk.txtCodice()->setText(codes.value(i++ % codes.size()));
        desk.txtCodiceEnter();
        if (!desk.shown())
            state.SkipWithError("card not found");
    }
    state.SetLabel(BenchSupport::name(growth));
}

void BM_Desk_FirstScan(benchmark::State& state)
{
    const Collection& books = Books::collection();
    const Growth growth = Growth(state.range(0));
    const bool viaCopy = state.range(1) != 0;
    const QString path = BenchSupport::sampleArchive(books, 100000, growth);
    ProgramFolder::setPath(BenchSupport::sampleFolder(books, 100000, growth));
    if (BenchSupport::compactCopy(path, Books::search(), viaCopy) != viaCopy) {
        state.SkipWithError("the compact copy could not be made");
        return;
    }
    const QStringList codes = someCodes(path, 1);
    const QByteArray key = DeskCard::key(codes.value(0));
    bool fromCopy = false;
    for (auto _ : state) {
        // The desk's first scan: the index made, the card read and shown.
        LendingDesk desk;
        std::vector<DeskCard> cards;
        if (!desk.find(codes.value(0), cards) || cards.empty())
            state.SkipWithError("card not found");
        state.PauseTiming();
        CodeIndex index(books);
        QList<qint64> positions;
        index.lookup(key, positions);
        fromCopy = index.fromCopy();
        state.ResumeTiming();
    }
    if (fromCopy != viaCopy)
        state.SkipWithError("the index was not made the way measured");
    state.SetLabel(BenchSupport::name(growth));
}

BENCHMARK(BM_Desk_ScanToCardShown)->ArgName("growth")->Arg(int(Growth::CardByCard))->Arg(int(Growth::Bulk))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Desk_FirstScan)
    ->ArgNames({"growth", "copy"})
    ->ArgsProduct({{int(Growth::CardByCard), int(Growth::Bulk)}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, true);
}
