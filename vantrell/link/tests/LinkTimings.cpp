// Timings of the link against the real virtual-board program over a pseudo-terminal, reported as
// ratios: round trip of a short write, CPU time over wall time while waiting, upload time over the
// time the bytes need on a 115200 baud line. Run by hand; not part of the tests. Through this
// system's own serial port: on Windows the Win32 port (scripts/windows/test.sh runs it under Wine,
// with the boards' line mapped to a COM port).
#include "vantrell/link/EmulatorLink.h"

#include "common/StatusSink.h"
#include "emulink/Frames.h"
#include "emulink/SystemSerialPort.h"
#include "emulink/SteadyClock.h"
#include "testsupport/VirtualBoard.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace std::chrono_literals;
using emulink::Bytes;

namespace {

constexpr double kByteTime = 10.0 / 115200.0; // seconds a byte takes on the line

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// CPU time of this process. Windows' clock() counts wall time, so there the process times are asked.
double cpuSeconds()
{
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) * 100e-9; // 100 ns ticks
#else
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

struct Setup
{
    explicit Setup(QStringList arguments) : board(arguments)
    {
        if (!board.start()) {
            std::fprintf(stderr, "virtual-board: %s\n", qPrintable(board.errorText()));
            std::exit(1);
        }
        link.setPortName(board.portPath());
        link.setRomSize(0x8000);
    }
    bool online(std::array<std::uint8_t, 2> ids, int count)
    {
        link.setFoundEmulators(ids, count);
        return link.goOnline();
    }
    testsupport::VirtualBoard board;
    emulink::SteadyClock clock;
    emulink::SystemSerialPort port;
    common::StatusLines status;
    vantrell::EmulatorLink link{port, clock, status};
};

void shortWriteRoundTrip(bool paced)
{
    Setup s(paced ? QStringList{"--boards", "1"} : QStringList{"--boards", "1", "--no-pacing"});
    if (!s.online({1, 0}, 1))
        return;
    const int count = 500;
    // Two data bytes: 'A' id 'w' N high low d d C is the 9-byte frame.
    const Bytes data{0x5A, 0xA5};
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        s.link.writeThrough(static_cast<std::uint32_t>(2 * i), data);
    const double each = seconds(std::chrono::steady_clock::now() - start) / count;
    const double wire = (9 + 1) * kByteTime;
    std::printf("short write round trip (%s, 9+1 bytes): %.3f ms, wire %.3f ms, ratio %.3f\n",
                paced ? "paced" : "unpaced", each * 1e3, wire * 1e3, each / wire);
}

void waitCpu()
{
    Setup s({"--boards", "1"});
    if (!s.online({1, 0}, 1))
        return;
    // A request to an ID nobody has: the reply never comes and the wait runs to its 250 ms bound.
    const int count = 8;
    const double cpu0 = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        s.port.discardBuffers();
        s.port.write(emulink::statusRequest(77));
        s.clock.waitFor(vantrell::EmulatorLink::kReplyTimeout, &s.port,
                        [&] { return s.port.bytesWaiting() >= 1; });
    }
    const double wall = seconds(std::chrono::steady_clock::now() - start);
    const double cpu = cpuSeconds() - cpu0;
    std::printf("wait for a reply that never comes: %d x %.0f ms, wall %.3f s, cpu %.4f s, cpu/wall %.4f\n",
                count, 250.0, wall, cpu, cpu / wall);
}

void onlineSearchCpu()
{
    Setup s({"--boards", "1"});
    s.link.setFoundEmulators({9, 0}, 1); // no board 9: the search runs its full ten seconds
    const double cpu0 = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const bool found = s.link.goOnline();
    const double wall = seconds(std::chrono::steady_clock::now() - start);
    const double cpu = cpuSeconds() - cpu0;
    std::printf("online search with no board (found %d): wall %.3f s, cpu %.4f s, cpu/wall %.4f\n", found,
                wall, cpu, cpu / wall);
}

void upload(int boards)
{
    Setup s(boards == 1 ? QStringList{"--boards", "1"} : QStringList{"--boards", "1,2"});
    if (!s.online({1, 2}, boards))
        return;
    Bytes rom(0x8000);
    for (std::size_t i = 0; i < rom.size(); ++i)
        rom[i] = static_cast<std::uint8_t>(i * 31 + 7);
    const auto start = std::chrono::steady_clock::now();
    const auto result = s.link.upload(rom);
    const double wall = seconds(std::chrono::steady_clock::now() - start);
    // The floor of a verified upload: every block's frame and acknowledgement, then the read-back of
    // the first and last block of each board (a chunk read's frame and its 257-byte reply each).
    const double chunks = 128.0 * boards * (263 + 2) * kByteTime;
    const double readBack = 2.0 * boards * (emulink::chunkRead(1, 0).size() + 257) * kByteTime;
    std::printf("verified upload of 32768 bytes to %d paced board(s) (complete %d): %.3f s, wire %.3f s, "
                "ratio %.3f\n",
                boards, result.complete, wall, chunks + readBack, wall / (chunks + readBack));

    // The read-back alone.
    const auto readStart = std::chrono::steady_clock::now();
    for (std::uint8_t id = 1; id <= boards; ++id)
        for (std::uint32_t romAddress : {0u, 0x7F00u})
            s.link.readRange(id, romAddress, 256);
    const double read = seconds(std::chrono::steady_clock::now() - readStart);
    std::printf("read-back of the first and last block from %d board(s): %.1f ms, wire %.1f ms, ratio %.3f\n",
                boards, read * 1e3, readBack * 1e3, read / readBack);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    shortWriteRoundTrip(true);
    shortWriteRoundTrip(false);
    waitCpu();
    onlineSearchCpu();
    upload(1);
    upload(2);
    return 0;
}
