// One full fill of the map grid (256 cells with text and colour, 32 headers, redraw off and on, the
// selection restored) on the offscreen platform, as a share of a 16.7 ms frame. Target: below 0.25,
// so a held key never lags.
#include "EditorTestSupport.h"

#include <QApplication>
#include <QRadioButton>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

vantrell::testing::EditorRig* rig = nullptr;

void fillGrid(benchmark::State& state, int option, bool paint = true)
{
    vantrell::MainWindow& w = *rig->window;
    w.parts().pages->showPage(1);
    w.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(option))->click();
    w.parts().grid()->selectCells({3, 2, 5, 4});
    for (auto _ : state) {
        w.parts().grid()->refresh();
        if (paint)
            QApplication::processEvents(); // the one repaint the fill causes
    }
    // Wall time over (fills x 16.7 ms).
    state.counters["frame_share"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.0167,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void FillGridData(benchmark::State& state)
{
    fillGrid(state, 1);
}
void FillGridDutyCycle(benchmark::State& state)
{
    fillGrid(state, 4);
}
// The fill alone, without the repaint of the window that follows it.
void FillGridNoPaint(benchmark::State& state)
{
    fillGrid(state, 1, false);
}

BENCHMARK(FillGridData)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(FillGridDutyCycle)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(FillGridNoPaint)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    vantrell::testing::EditorRig shared;
    shared.start();
    shared.window->show();
    rig = &shared;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
