// Timings of the live data in the editor, against the simulated ECU in the test process on a clock
// that does not wait (the window on the offscreen platform):
// - TraceDrawn: from the arrival of a frame's bytes to the trace drawn (the grid's cells, the 3D view,
//   the figures and the graph repainted), as a share of one 60 Hz frame (16.7 ms). Target: below 1.
// - LoggingMemory: an hour of frames (60 a second) recorded to a log while shown; the heap's growth
//   after the first minute, in bytes per frame. Target: about 0 (the graph keeps its window, the log
//   goes to the file).
#include "vantrell/tests/EditorTestSupport.h"

#include "vantrell/live/LiveGraph.h"

#include "boardsim/EcuModel.h"
#include "boardsim/InProcessEcuPort.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LIVE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define LIVE_ASAN 1
#endif
#ifdef LIVE_ASAN
// The address sanitizer's own count of the heap in use (its runtime provides it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

using namespace std::chrono_literals;

std::size_t heapInUse()
{
#ifdef LIVE_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

struct LiveRig
{
    LiveRig()
    {
        editor.start();
        boardsim::EcuDefinition definition;
        std::string error;
        if (boardsim::loadEcuDefinition(editor.folder.file("config/default"), definition, error))
            ecu.setDefinition(definition);
        window().parts().live->setPort(ecuPort);
        window().parts().pages->showPage(1);
        window().parts().liveDock->show();
        QObject::connect(window().parts().live, &vantrell::LiveSession::valuesShown, window().parts().live,
                         [this] { ++framesShown; });
        window().parts().live->connectEcu(QStringLiteral("ecu"));
        nextFrame();
    }
    // The window and its link go before the ECU's port.
    ~LiveRig() { editor.window.reset(); }
    vantrell::MainWindow& window() { return *editor.window; }
    // Lets the line carry bytes until the next frame is shown.
    bool nextFrame()
    {
        const std::uint64_t before = framesShown;
        return editor.clock.waitFor(2s, nullptr, [&] { return framesShown > before; });
    }

    vantrell::testing::EditorRig editor;
    // On the editor's own maps, with TP where the demo definition keeps it, so the trace moves about.
    boardsim::EcuModel ecu{
        [this](std::uint32_t address) { return editor.window->parts().state.rom.at(address); }};
    boardsim::InProcessEcuPort ecuPort{ecu, editor.clock};
    std::uint64_t framesShown = 0;
};

LiveRig* rig = nullptr;

void TraceDrawn(benchmark::State& state)
{
    rig->window().show();
    QApplication::processEvents();
    for (auto _ : state) {
        // The frame's last byte arrives; the link reads it, the session traces it, the views repaint.
        if (!rig->nextFrame())
            state.SkipWithError("no frame");
        QApplication::processEvents();
    }
    // Wall time over (frames x 16.7 ms).
    state.counters["frame_share"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.0167,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void LoggingMemory(benchmark::State& state)
{
    QTemporaryDir dir;
    vantrell::LiveSession& live = *rig->window().parts().live;
    live.startLog(dir.filePath(QStringLiteral("hour.csv")));
    const std::int64_t frames = state.range(0);
    const std::int64_t settle = 60 * 60; // the first minute fills the graph's window
    for (auto _ : state) {
        std::size_t after = 0, before = 0;
        for (std::int64_t i = 0; i < frames; ++i) {
            if (!rig->nextFrame()) {
                state.SkipWithError("no frame");
                break;
            }
            if (i % 600 == 0)
                QApplication::processEvents(); // the window repaints now and then, as it would
            if (i == settle)
                before = heapInUse();
        }
        QApplication::processEvents();
        after = heapInUse();
        state.counters["bytes_per_frame"] =
            (static_cast<double>(after) - static_cast<double>(before)) / static_cast<double>(frames - settle);
        state.counters["graph_points"] =
            static_cast<double>(rig->window().parts().liveDock->graph()->pointsKept());
        state.counters["rows_logged"] = static_cast<double>(live.rowsLogged());
    }
    live.stopLog();
}

BENCHMARK(TraceDrawn)->Unit(benchmark::kMicrosecond)->UseRealTime();
// Ten minutes and one hour at 60 frames a second.
BENCHMARK(LoggingMemory)->Arg(36000)->Arg(216000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    LiveRig shared;
    rig = &shared;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
