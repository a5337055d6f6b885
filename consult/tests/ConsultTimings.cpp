// Timings of the diagnostic link against the real virtual-board --ecu over a pseudo-terminal, as
// ratios: frames per second over what a 9600 baud line carries for the chosen set, and CPU time over
// wall time while streaming (this process only: the link, its frame reader, decoding and the trace),
// the time from a frame's bytes to its trace, and memory over an hour of logging. Run by hand; not
// part of the tests. In a sanitizer build give ASAN_OPTIONS=quarantine_size_mb=0 for the memory
// figure: the sanitizer otherwise holds freed memory back and the process grows whatever the code does.
#include "Channels.h"
#include "ConsultLink.h"
#include "LiveLog.h"
#include "MapTrace.h"

#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"
#include "testsupport/VirtualBoard.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

using namespace std::chrono_literals;

namespace {

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double cpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void stream(const char* name, const consult::StreamLayout& layout, std::chrono::seconds length)
{
    testsupport::VirtualBoard board({QStringLiteral("--ecu"), QStringLiteral("--definition"),
                                     QStringLiteral(TESSAVEL_SOURCE_DIR "/demo/config/default")});
    if (!board.start()) {
        std::fprintf(stderr, "virtual-board: %s\n", qPrintable(board.errorText()));
        std::exit(1);
    }
    emulink::SteadyClock clock;
    emulink::QtSerialPort port;
    // Connected before the link's own slot, so it runs first: when the bytes became readable.
    std::chrono::steady_clock::time_point ready;
    QObject::connect(&port, &emulink::SerialPort::readyRead,
                     [&] { ready = std::chrono::steady_clock::now(); });
    consult::ConsultLink link(port, clock);
    std::vector<double> latencies;
    const std::vector<double> rpmAxis{400,  800,  1200, 1600, 2000, 2400, 2800, 3200,
                                      3600, 4000, 4400, 4800, 5200, 5800, 6400, 7000};
    const std::vector<double> loadAxis{10,  20,  32,  44,  56,  68,  80,  92,
                                       104, 116, 128, 142, 156, 170, 185, 200};
    consult::TraceTrail trail(16);
    std::uint64_t frames = 0;
    QObject::connect(&link, &consult::ConsultLink::frameReceived, [&](const consult::LiveFrame& f) {
        ++frames;
        const consult::Trace t =
            consult::traceFromValues(f.values, layout.columnOf(consult::Channel::Rpm),
                                     layout.columnOf(consult::kTpName), rpmAxis, loadAxis);
        trail.add(t.row, t.col);
        latencies.push_back(seconds(std::chrono::steady_clock::now() - ready));
    });
    if (!link.connectPort(board.ecuPortPath()) || !link.startStream(layout)) {
        std::fprintf(stderr, "no stream\n");
        std::exit(1);
    }
    // The first frames, then the measured stretch.
    clock.waitFor(5s, &port, [&] { return frames >= 5; });
    const std::uint64_t first = frames;
    const double cpu0 = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    clock.pause(length);
    const double wall = seconds(std::chrono::steady_clock::now() - start);
    const double cpu = cpuSeconds() - cpu0;
    const double rate = static_cast<double>(frames - first) / wall;
    // FF, length, data: ten bits a byte at 9600 baud.
    const double lineRate = 960.0 / static_cast<double>(layout.frameLength() + 2);
    std::printf("%s (%zu data bytes): %.1f frames/s, the line carries %.1f, ratio %.3f; lost %llu\n", name,
                layout.frameLength(), rate, lineRate, rate / lineRate,
                static_cast<unsigned long long>(link.framesLost()));
    std::printf("%s: cpu %.4f s over wall %.3f s while streaming, cpu/wall %.4f\n", name, cpu, wall,
                cpu / wall);
    // From the frame's bytes being readable to its trace: against one 60 Hz frame. (The simulated ECU
    // sends a frame's last byte together with the next frame's start, which confirms it.)
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2], worst = latencies.back();
    std::printf(
        "%s: bytes readable to frame traced: median %.3f ms, worst %.3f ms, worst over 16.7 ms %.4f\n", name,
        median * 1e3, worst * 1e3, worst / (1.0 / 60));
}

// Resident memory of this process in kB (Linux; 0 elsewhere).
long residentKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

// An hour of frames at the line's rate for every register and TP, written to a log as the editor
// would: memory must stay flat (the writer keeps no rows).
void hourOfLogging()
{
    QTemporaryDir dir;
    const consult::StreamLayout layout = consult::standardLayout(0x0108);
    consult::LogWriter writer;
    QString error;
    if (!writer.open(dir.filePath(QStringLiteral("hour.csv")), layout.columns(), error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return;
    }
    const std::int64_t rows = 3600 * 64;
    std::vector<double> values(layout.columns().size(), 0.0);
    long before = 0;
    for (std::int64_t i = 0; i < rows; ++i) {
        values[0] = 800 + static_cast<double>(i % 5000);
        values.back() = static_cast<double>(i % 200);
        writer.append({i * 1000 / 64, values, static_cast<int>(i % 16), static_cast<int>((i / 16) % 16)});
        if (i == rows / 10)
            before = residentKb(); // after the first six minutes: buffers and caches settled
    }
    const long after = residentKb();
    writer.close();
    std::printf(
        "an hour of logging (%lld rows): resident memory %ld kB after 6 minutes, %ld kB after the hour, "
        "growth over the first reading %.4f\n",
        static_cast<long long>(rows), before, after,
        before > 0 ? static_cast<double>(after - before) / static_cast<double>(before) : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    stream("every register and TP", consult::standardLayout(0x0108), 10s);
    stream("RPM only", consult::StreamLayout({consult::Channel::Rpm}, {}), 5s);
    hourOfLogging();
    return 0;
}
