// The book card filled from a catalogue: from the press of "Compila dal
// catalogo" to the filled card, against a Zebra server on the loopback
// address (MARC 21 over Z39.50, UNIMARC over Z39.50, MARC 21 over SRU), and
// the lookup alone without the screen. Memory: what the process grows by
// over the repeated look-ups.
#include "BenchSupport.h"
#include "CatalogueServers.h"

#include "core/storage/ProgramFolder.h"
#include "lookup/CatalogueLookup.h"
#include "ui/books/CatalogueFill.h"
#include "ui/books/TfrmLibri.h"
#include "ui/registry/Screens.h"
#include "ui/shell/Controls.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<ZebraServer> zebra;
std::unique_ptr<QTemporaryDir> folder;

struct Case {
    const char* database;
    const char* syntax;
    const char* protocol;
    const char* isbn;
};
// clang-format off
constexpr Case kCases[] = {
    {"libri21", "MARC 21", "Z39.50", "978-88-04-33948-9"},
    {"libriuni", "UNIMARC", "Z39.50", "9788807185120"},
    {"libri21", "MARC 21", "SRU", "9780007487295"},
};
// clang-format on

void useCatalogue(const Case& c)
{
    const QString address = QLatin1String(c.protocol) == QLatin1String("SRU")
        ? QStringLiteral("http://127.0.0.1:%1/%2").arg(zebra->port()).arg(QLatin1String(c.database))
        : QStringLiteral("127.0.0.1:%1").arg(zebra->port());
    QFile ini(ProgramFolder::file(QStringLiteral("Tomaria.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return;
    ini.write(QStringLiteral("[Cataloghi]\r\nNome1=Zebra\r\nProtocollo1=%1\r\nIndirizzo1=%2\r\nDatabase1=%3\r\nSintassi1=%4\r\n")
                  .arg(QLatin1String(c.protocol), address, QLatin1String(c.database), QLatin1String(c.syntax))
                  .toLatin1());
}

void clearCard(TfrmLibri* card)
{
    for (const char* f :
        {"Titolo", "Autore", "Curatore", "Dewey", "Pagine", "Editore", "Citta", "Anno", "Collana", "Originale", "Lingua", "Traduttore"})
        Controls::setText(card->control(QStringLiteral("txt") + QLatin1String(f)), QString());
}

void BM_FillCard(benchmark::State& state)
{
    const Case& c = kCases[state.range(0)];
    state.SetLabel(std::string(c.syntax) + " over " + c.protocol);
    useCatalogue(c);
    TfrmLibri* card = Screens::frmLibri;
    CatalogueFill* fill = card->catalogueFill();
    const long before = BenchSupport::residentKiB();
    BenchSupport::resetPeakResident();
    qint64 worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        clearCard(card);
        Controls::setText(card->control(QStringLiteral("txtIsbn")), QLatin1String(c.isbn));
        state.ResumeTiming();
        QEventLoop loop;
        QObject::connect(fill, &CatalogueFill::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        card->btnCatalogoClick();
        loop.exec();
        worst = std::max(worst, fill->lastDuration());
        if (Controls::text(card->control(QStringLiteral("txtTitolo"))).isEmpty())
            state.SkipWithError("card not filled");
    }
    state.counters["worst_ms"] = double(worst);
    state.counters["rss_growth_KiB"] = double(BenchSupport::residentKiB() - before);
    state.counters["peak_KiB"] = double(BenchSupport::peakResidentKiB());
}
BENCHMARK(BM_FillCard)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_LookupAlone(benchmark::State& state)
{
    const Case& c = kCases[state.range(0)];
    state.SetLabel(std::string(c.syntax) + " over " + c.protocol);
    useCatalogue(c);
    const CatalogueSettings settings = CatalogueSettings::read(ProgramFolder::file(QStringLiteral("Tomaria.ini")));
    for (auto _ : state) {
        const CatalogueLookup l = CatalogueLookup::run(settings.catalogues, QLatin1String(c.isbn), settings.timeoutMs);
        if (l.result != CatalogueLookup::Result::Found)
            state.SkipWithError("no record");
        benchmark::DoNotOptimize(l.records.size());
    }
}
BENCHMARK(BM_LookupAlone)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, true, [] {
        folder = std::make_unique<QTemporaryDir>();
        ProgramFolder::setPath(folder->path());
        zebra = std::make_unique<ZebraServer>();
        if (!zebra->started())
            qFatal("%s", qPrintable(zebra->failure()));
        Screens::frmLibri->showScreen();
    });
}
