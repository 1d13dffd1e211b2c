// Book searches over a generated archive of 100,000 cards: the whole search
// pass with two filters, the screen listing about 95,000 lines sorted, and
// the double-click on the last line that fills the book card.
#include "BenchSupport.h"

#include "ui/cards/LineList.h"
#include "ui/shell/Screens.h"
#include "core/collections/BookTables.h"
#include "ui/books/TfrmLibri.h"
#include "ui/books/TfrmTrovaLibri.h"
#include "core/search/Search.h"
#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kCards = 100000;

// The generator's cards, with codes spread over the archive so that the
// list order is not the archive order.
class GeneratedArchive {
public:
    GeneratedArchive()
    {
        ProgramFolder::setPath(m_dir.path());
        BenchSupport::writeSampleArchive(path(), Collection::books(), kCards, 20240501, [](Record& record, int i) {
            record.setText("Codice", QStringLiteral("L%1").arg((i * 7919L) % 100003, 6, 10, QLatin1Char('0')));
        });
    }
    QString path() const { return ProgramFolder::file(QStringLiteral("Libri.pro")); }

private:
    QTemporaryDir m_dir;
};

GeneratedArchive& archive()
{
    static GeneratedArchive a;
    return a;
}

void searchPass(benchmark::State& state, const char* field1, const char* text1, const char* field2, const char* text2)
{
    const QString path = archive().path();
    qsizetype found = 0;
    for (auto _ : state) {
        Search search(BookTables::search());
        search.setFilter(field1, QString::fromUtf8(text1));
        search.setFilter(field2, QString::fromUtf8(text2));
        QStringList lines;
        if (!search.run(path, lines))
            state.SkipWithError("search failed");
        found = lines.size();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(found);
}

void BM_TwoFilters_Selective(benchmark::State& state)
{
    searchPass(state, "Autore", "calvino", "Genere", "romanzo");
}
BENCHMARK(BM_TwoFilters_Selective)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_TwoFilters_Broad(benchmark::State& state)
{
    searchPass(state, "Titolo", "i", "Editore", "e");
}
BENCHMARK(BM_TwoFilters_Broad)->Unit(benchmark::kMillisecond)->MinTime(2.0);

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
    archive();
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
BENCHMARK(BM_NoFilter_ListShown)->Unit(benchmark::kMillisecond)->Iterations(10);

// A double-click on the last line: the archive read again, every line
// rebuilt and compared, the card filled, the screen closed.
void BM_DoubleClickLastLine(benchmark::State& state)
{
    archive();
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
BENCHMARK(BM_DoubleClickLastLine)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, true);
}
