// The list report over 100,000 lines (about 1,800 landscape pages): laying
// out the pages, the way to the first printed page, and the whole document
// printed to PDF. Memory: what the prepared pages add to the process.
#include "BenchSupport.h"

#include "print/report/Report.h"
#include "print/report/ReportPaginator.h"
#include "ui/report/ListReport.h"
#include "ui/report/ReportPrinter.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 100000;

// Result lines as the book searches print them: fixed-width, about 150 characters.
const QStringList& lines()
{
    static const QStringList list = [] {
        QStringList l;
        l.reserve(kLines);
        for (int i = 0; i < kLines; ++i)
            l << QStringLiteral("%1 %2 %3 %4")
                     .arg(QStringLiteral("L%1").arg(i, 6, 10, QLatin1Char('0')), -12)
                     .arg(QStringLiteral("Titolo del libro numero %1").arg(i), -50)
                     .arg(QStringLiteral("Autore %1").arg(i % 977), -30)
                     .arg(QStringLiteral("Milano - Editore %1 - %2").arg(i % 31).arg(1950 + i % 70), -50);
        return l;
    }();
    return list;
}

void BM_ListPrepare100k(benchmark::State& state)
{
    const QStringList& data = lines();
    long growth = 0;
    qsizetype pages = 0;
    size_t prepared = 0; // the page descriptions, without the shared lines
    for (auto _ : state) {
        const long before = BenchSupport::residentKiB();
        std::unique_ptr<Report> report = ListReport::createTemplate();
        ListReport::fill(*report, QStringLiteral("Riepilogo libri in archivio"), data);
        const PreparedReport laidOut = ReportPaginator::paginate(*report);
        pages = laidOut.pages.size();
        prepared = 0;
        for (const PreparedPage& page : laidOut.pages)
            prepared += sizeof(PreparedPage) + size_t(page.items.capacity()) * sizeof(PageItem);
        growth = std::max(growth, BenchSupport::residentKiB() - before);
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = double(pages);
    state.counters["prepared_KiB"] = double(prepared) / 1024.0;
    state.counters["rss_growth_KiB"] = double(growth);
}
BENCHMARK(BM_ListPrepare100k)->Unit(benchmark::kMillisecond);

// Prepare, then print only page 1 into a PDF file: the wait before paper moves.
void BM_ListFirstPageToPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    const QStringList& data = lines();
    for (auto _ : state) {
        std::unique_ptr<Report> report = ListReport::createTemplate();
        ListReport::fill(*report, QStringLiteral("Riepilogo libri in archivio"), data);
        const PreparedReport laidOut = ReportPaginator::paginate(*report);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("first.pdf")));
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setFullPage(true);
        printer.setPageRanges(QPageRanges::fromString(QStringLiteral("1")));
        benchmark::DoNotOptimize(ReportPrinter::printPages(laidOut, printer));
    }
}
BENCHMARK(BM_ListFirstPageToPdf)->Unit(benchmark::kMillisecond);

// The whole list printed into a PDF file.
void BM_ListAllPagesToPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    const QStringList& data = lines();
    const QString pdf = dir.filePath(QStringLiteral("all.pdf"));
    for (auto _ : state) {
        std::unique_ptr<Report> report = ListReport::createTemplate();
        ListReport::fill(*report, QStringLiteral("Riepilogo libri in archivio"), data);
        const PreparedReport laidOut = ReportPaginator::paginate(*report);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setFullPage(true);
        benchmark::DoNotOptimize(ReportPrinter::printPages(laidOut, printer));
    }
    state.counters["pdf_MiB"] = double(QFile(pdf).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ListAllPagesToPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, false, [] { lines(); });
}
