// One paint of the scanner's row graph (553 by 201, one black 16-point series), reported as the
// share of a 60 Hz frame (16.7 ms) that it takes.
#include "LineGraph.h"

#include <QApplication>
#include <QDir>
#include <QImage>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace {

void BM_LineGraphPaint(benchmark::State& state)
{
    graph2d::LineGraph graph;
    graph.resize(553, 201);
    graph.applyScannerDefaults();
    graph.setNumbVert(false);
    graph2d::PointSeries& series = graph.addSeries();
    series.setColor(graph2d::colorBlack);
    graph.setVisibleArea(0, 0, 15, 255);
    QImage target(graph.size(), QImage::Format_RGB32);

    double seconds = 0;
    int i = 0;
    for (auto _ : state) {
        // Writing the row again marks the picture stale, as the scanner's refresh does.
        for (int x = 0; x < 16; ++x)
            series.addPoint(x, (x * 37 + i) % 256);
        ++i;
        const auto start = std::chrono::steady_clock::now();
        graph.render(&target);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(target.constBits());
    }
    const double perPaint = seconds / static_cast<double>(state.iterations());
    state.counters["frame_share"] = perPaint / (1.0 / 60.0);
}
BENCHMARK(BM_LineGraphPaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        QDir().mkpath("/tmp/tessavel-runtime");
        setenv("XDG_RUNTIME_DIR", "/tmp/tessavel-runtime", 1);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
