// Start-up: the 23 screens created in registry order and the first window
// shown, as the program does before its event loop runs.
#include "BenchSupport.h"

#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/shell/TForm.h"
#include "ui/shell/TfrmPassword.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_StartupScreens(benchmark::State& state)
{
    for (auto _ : state) {
        Screens::createAll();
        TForm* first = Screens::frmPassword;
        first->showScreen();
        QApplication::processEvents();
        benchmark::DoNotOptimize(first->isVisible());
        state.PauseTiming();
        Screens::destroyAll();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupScreens)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    return BenchSupport::run(argc, argv, false);
}
