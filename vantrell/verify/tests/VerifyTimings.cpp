// Timings of verify and of the upload of changes against the real virtual-board program (paced as a
// 115200 baud line) over a pseudo-terminal, reported as ratios to the time the bytes need on the line:
// a verify of a 32768-byte image on one and on two boards, and the upload of changes after one block
// changed, against the full upload. Run by hand; not part of the tests.
#include "vantrell/link/EmulatorLink.h"
#include "vantrell/verify/BoardCheck.h"

#include "common/StatusSink.h"
#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"
#include "testsupport/VirtualBoard.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double kByteTime = 10.0 / 115200.0;                // seconds a byte takes on the line
constexpr double kReadFloor = 128 * (7 + 257) * kByteTime;   // the chunk reads of 32768 bytes
constexpr double kUploadFloor = 128 * (263 + 2) * kByteTime; // the verified block writes of 32768 bytes

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Setup
{
    explicit Setup(const QStringList& boards)
        : board(QStringList{"--boards"} << boards << "--size"
                                        << "27c256")
    {
        if (!board.start()) {
            std::fprintf(stderr, "virtual-board: %s\n", qPrintable(board.errorText()));
            std::exit(1);
        }
        std::vector<std::uint8_t> image(0x8000);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 13);
        document.loadImage(image);
        link.setPortName(board.portPath());
        link.setRomSize(0x8000);
        const int count = static_cast<int>(boards.front().count(',')) + 1;
        link.setFoundEmulators({1, 2}, count);
        if (!link.goOnline()) {
            std::fprintf(stderr, "not online\n");
            std::exit(1);
        }
    }
    testsupport::VirtualBoard board;
    emulink::SteadyClock clock;
    emulink::QtSerialPort port;
    common::StatusLines status;
    vantrell::EmulatorLink link{port, clock, status};
    vantrell::RomDocument document;
    vantrell::BoardKnowledge knowledge;
    vantrell::BoardCheck check{link, document, knowledge};
};

void verify(const QStringList& boards, int boardCount)
{
    Setup s(boards);
    const auto start = std::chrono::steady_clock::now();
    const auto read = s.check.read(true);
    const double took = secondsSince(start);
    std::printf("verify, %d board(s): %.3f s, %.3f x the wire floor of %.3f s%s\n", boardCount, took,
                took / (kReadFloor * boardCount), kReadFloor * boardCount,
                read.complete ? "" : " (incomplete)");
}

void uploadOfChanges()
{
    Setup s({"1,2"});
    auto start = std::chrono::steady_clock::now();
    const auto full = s.link.upload(s.document.bytes());
    const double fullTook = secondsSince(start);
    s.check.uploaded();
    // One map changed offline-style (the boards not told): one 256-byte block differs.
    vantrell::EditStepBuilder step(s.document.buffer());
    for (std::uint32_t a = 0x7000; a < 0x7100; ++a)
        step.write(a, static_cast<std::uint8_t>(step.at(a) + 1));
    (void)s.document.apply(step.finish("map", vantrell::EditSource::Shunt, false));
    start = std::chrono::steady_clock::now();
    const auto sends = s.check.sendDiffering(s.check.foundIds());
    const double deltaTook = secondsSince(start);
    std::printf("full upload, 2 boards: %.3f s (%.3f x its wire floor)%s\n", fullTook,
                fullTook / (2 * kUploadFloor), full.complete ? "" : " (incomplete)");
    std::printf("upload of changes, one block on 2 boards: %.3f s, %.3f s a board, %.4f x the full upload\n",
                deltaTook, deltaTook / 2, deltaTook / fullTook);
    for (const auto& send : sends)
        std::printf("  board %d: %zu sent, %zu confirmed\n", send.id, send.sent.size(),
                    send.confirmed.size());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    verify({"1"}, 1);
    verify({"1,2"}, 2);
    uploadOfChanges();
    return 0;
}
