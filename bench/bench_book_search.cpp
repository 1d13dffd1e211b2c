// Book searches over generated archives of 100,000 cards, one written card
// by card and one in bulk: the whole search pass with two filters, the
// screen listing about 95,000 lines sorted, and the double-click on the
// last line that fills the book card.
#include "BenchSupport.h"

#include "core/collections/Books.h"
#include "ui/cards/LineList.h"
#include "ui/registry/Screens.h"
#include "ui/books/TfrmLibri.h"
#include "ui/books/TfrmTrovaLibri.h"
#include "core/search/Search.h"
#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"

#include <QApplication>
#include <QLabel>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kCards = 100000;
using BenchSupport::Growth;

// The generated cards, with codes spread over the archive so that the list
// order is not the archive order; the screens read the archive of the
// program folder, which is set to the folder of the kind measured.
QString useArchive(benchmark::State& state)
{
    const Growth growth = Growth(state.range(0));
    state.SetLabel(BenchSupport::name(growth));
    const QString folder = BenchSupport::sampleFolder(Books::collection(), kCards, growth);
    ProgramFolder::setPath(folder);
    return ProgramFolder::file(QStringLiteral("Libri.pro"));
}

void bothGrowths(benchmark::internal::Benchmark* b)
{
    b->ArgName("growth")->Arg(int(Growth::CardByCard))->Arg(int(Growth::Bulk))->Unit(benchmark::kMillisecond);
}

void searchPass(benchmark::State& state, const char* field1, const char* text1, const char* field2, const char* text2)
{
    const QString path = useArchive(state);
    qsizetype found = 0;
    const long before = BenchSupport::residentKiB();
    BenchSupport::resetPeakResident();
    for (auto _ : state) {
        Search search(Books::search());
        search.setFilter(field1, QString::fromUtf8(text1));
        search.setFilter(field2, QString::fromUtf8(text2));
        QStringList lines;
        if (!search.run(path, lines))
            state.SkipWithError("search failed");
        found = lines.size();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(found);
    state.counters["rss_growth_MiB"] = (BenchSupport::peakResidentKiB() - before) / 1024.0;
}

void BM_TwoFilters_Selective(benchmark::State& state)
{
    searchPass(state, "Autore", "calvino", "Genere", "romanzo");
}
BENCHMARK(BM_TwoFilters_Selective)->Apply(bothGrowths)->MinTime(2.0);

void BM_TwoFilters_Broad(benchmark::State& state)
{
    searchPass(state, "Titolo", "i", "Editore", "e");
}
BENCHMARK(BM_TwoFilters_Broad)->Apply(bothGrowths)->MinTime(2.0);

// A fresh screen over the book card, as the card's Trova command opens it.
std::unique_ptr<TfrmTrovaLibri> openScreen()
{
    auto screen = std::make_unique<TfrmTrovaLibri>(Screens::frmLibri);
    screen->setCallerTag(QStringLiteral("libri"));
    screen->show();
    QApplication::processEvents();
    return screen;
}

// Cerca with no filter until the result panel is laid out and drawn.
void BM_NoFilter_ListShown(benchmark::State& state)
{
    useArchive(state);
    int shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = openScreen();
        state.ResumeTiming();
        screen->btnCercaClick();
        screen->lstRecords()->viewport()->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        shown = screen->lstRecords()->count();
        screen.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["lines"] = shown;
}
BENCHMARK(BM_NoFilter_ListShown)->Apply(bothGrowths)->Iterations(10);

// A double-click on the last line: the archive read again, every line
// rebuilt and compared, the card filled, the screen closed.
void BM_DoubleClickLastLine(benchmark::State& state)
{
    useArchive(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = openScreen();
        screen->btnCercaClick();
        screen->lstRecords()->selectRow(screen->lstRecords()->count() - 1);
        QApplication::processEvents();
        state.ResumeTiming();
        screen->lstRecordsDblClick();
        state.PauseTiming();
        if (Screens::frmLibri->lblPosizione()->text().isEmpty())
            state.SkipWithError("the card was not filled");
        Screens::frmLibri->lblPosizione()->clear();
        screen.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DoubleClickLastLine)->Apply(bothGrowths)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, true);
}
