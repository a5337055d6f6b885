// One paint of the scanner's plot (16 by 16 table, 545 by 385) as a share of a 60 Hz frame.
#include "plot3d/SurfacePlot.h"

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kFrameSeconds = 0.0167;

void SurfacePlotScannerPaint(benchmark::State& state)
{
    plot3d::SurfacePlot plot;
    plot.applyScannerDefaults();
    plot.dataMatrix()->resize(16, 16);
    for (int r = 1; r <= 16; ++r)
        for (int c = 1; c <= 16; ++c)
            plot.dataMatrix()->setElement(c, r,
                                          std::round(40 + 8.0 * r + 3.0 * c + 20.0 * std::sin(c / 3.0)));
    plot.setRangeZHigh(255);
    plot.setRangeZLow(0);
    plot.setColorScaleHigh(255);
    plot.setColorScaleLow(0);
    for (auto _ : state) {
        plot.redraw();
        benchmark::DoNotOptimize(plot.image().constBits());
    }
    state.counters["frame_share"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrameSeconds,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(SurfacePlotScannerPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        QDir().mkpath("/tmp/tessavel-runtime");
        qputenv("XDG_RUNTIME_DIR", "/tmp/tessavel-runtime");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
