// Book export over a generated archive of 100,000 cards: the export screen
// shown with its grid ready and drawn, the rows' memory against the
// archive's text, the spreadsheet file written from the grid, the complete
// CSV, and the complete .xlsx written and imported.
#include "BenchSupport.h"

#include "core/collections/Books.h"
#include "ui/registry/Screens.h"
#include "ui/books/TfrmExpLibri.h"
#include "ui/books/TfrmLibri.h"
#include "core/export/CardCsv.h"
#include "core/export/CardXlsx.h"
#include "core/import/CardImport.h"
#include "core/export/ExportModel.h"
#include "core/export/Spreadsheet.h"
#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kCards = 100000;

// The generator's cards, written once; also counts the text they hold.
class GeneratedArchive {
public:
    GeneratedArchive()
    {
        ProgramFolder::setPath(m_dir.path());
        BenchSupport::writeSampleArchive(
            path(), Books::collection(), kCards, 20240501, BenchSupport::Growth::Bulk, [this](Record& record, int) {
                for (const FieldDef& f : TSchedaLibro.fields)
                    m_text += static_cast<qint64>(Text::trimmed(TextSlot::raw(record.bytes().constData(), f, TSchedaLibro.kind)).size());
            });
    }
    QString path() const { return ProgramFolder::file(QStringLiteral("Libri.pro")); }
    // Trimmed text bytes of every field of every card.
    qint64 textBytes() const { return m_text; }

private:
    QTemporaryDir m_dir;
    qint64 m_text = 0;
};

GeneratedArchive& archive()
{
    static GeneratedArchive a;
    return a;
}

// From show to the first rows drawn: the archive read into the model, the
// columns sized, the view laid out and painted.
void BM_GridReady(benchmark::State& state)
{
    archive();
    int rows = 0;
    for (auto _ : state) {
        auto screen = std::make_unique<TfrmExpLibri>(Screens::frmLibri);
        screen->show();
        screen->grdRecords()->viewport()->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        rows = screen->model()->rowCount();
        screen.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_GridReady)->Unit(benchmark::kMillisecond)->Iterations(10);

// What the loaded rows occupy, against the text of the archive (every field)
// and the text of the listed fields alone.
void BM_GridMemory(benchmark::State& state)
{
    archive();
    for (auto _ : state) {
        const qint64 before = BenchSupport::residentKiB() * 1024;
        ExportModel model(Books::exportTable());
        model.load(archive().path());
        const qint64 grown = BenchSupport::residentKiB() * 1024 - before;
        state.counters["held_MB"] = double(model.heldBytes()) / 1e6;
        state.counters["resident_growth_MB"] = double(grown) / 1e6;
        state.counters["archive_text_MB"] = double(archive().textBytes()) / 1e6;
        state.counters["listed_text_MB"] = double(model.textBytes()) / 1e6;
        state.counters["held_per_archive_text"] = double(model.heldBytes()) / double(archive().textBytes());
        state.counters["held_per_listed_text"] = double(model.heldBytes()) / double(model.textBytes());
    }
}
BENCHMARK(BM_GridMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// The export step: the file written from the grid (temporary file, flushed
// to the disk, renamed over "Libri.xls").
void BM_FileWritten(benchmark::State& state)
{
    ExportModel model(Books::exportTable());
    model.load(archive().path());
    const QString target = ProgramFolder::file(QStringLiteral("Libri.xls"));
    for (auto _ : state) {
        if (!Spreadsheet::save(model, target))
            state.SkipWithError("the file was not written");
    }
    state.counters["file_MB"] = double(QFileInfo(target).size()) / 1e6;
}
BENCHMARK(BM_FileWritten)->Unit(benchmark::kMillisecond)->Iterations(10);

// The command line's one call: the archive read and the file written.
void BM_ExportArchive(benchmark::State& state)
{
    archive();
    const QString target = ProgramFolder::file(QStringLiteral("cli.xls"));
    for (auto _ : state) {
        if (!Spreadsheet::exportArchive(Books::exportTable(), archive().path(), target))
            state.SkipWithError("the file was not written");
    }
}
BENCHMARK(BM_ExportArchive)->Unit(benchmark::kMillisecond)->Iterations(10);

// The complete CSV of the same archive: every field of every card read,
// written and flushed, renamed over the target.
void BM_CompleteCsv(benchmark::State& state)
{
    archive();
    const QString target = ProgramFolder::file(QStringLiteral("tutto.csv"));
    for (auto _ : state) {
        if (!CardCsv::save(Books::collection(), archive().path(), target))
            state.SkipWithError("the file was not written");
    }
    state.counters["file_MB"] = double(QFileInfo(target).size()) / 1e6;
}
BENCHMARK(BM_CompleteCsv)->Unit(benchmark::kMillisecond)->Iterations(10);

// The complete export as .xlsx, then its import: both passes of every row
// (the workbook streamed from the zip) into a fresh archive.
void BM_CompleteXlsx(benchmark::State& state)
{
    archive();
    const QString target = ProgramFolder::file(QStringLiteral("tutto.xlsx"));
    for (auto _ : state) {
        if (!CardXlsx::save(Books::collection(), archive().path(), target))
            state.SkipWithError("the file was not written");
    }
    state.counters["file_MB"] = double(QFileInfo(target).size()) / 1e6;
}
BENCHMARK(BM_CompleteXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportXlsx(benchmark::State& state)
{
    archive();
    const QString source = ProgramFolder::file(QStringLiteral("tutto.xlsx"));
    if (!QFileInfo::exists(source) && !CardXlsx::save(Books::collection(), archive().path(), source))
        state.SkipWithError("the file was not written");
    const QString into = ProgramFolder::file(QStringLiteral("Importati.pro"));
    for (auto _ : state) {
        QFile::remove(into);
        QFile file(source);
        file.open(QIODevice::ReadOnly);
        CardImport cards(Books::collection());
        CardImport::Options options;
        options.archive = into;
        if (cards.run(file, options).status != CardImport::Outcome::Status::Imported || cards.count() != kCards)
            state.SkipWithError("the file was not imported");
    }
    QFile::remove(into);
}
BENCHMARK(BM_ImportXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, true);
}
