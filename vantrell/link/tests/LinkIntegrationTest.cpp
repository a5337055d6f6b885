// The link end to end: QtSerialPort over a pseudo-terminal to the real virtual-board program.
#include "vantrell/link/EmulatorLink.h"

#include "common/StatusSink.h"
#include "emulink/Frames.h"
#include "emulink/QtSerialPort.h"
#include "emulink/SetupCommands.h"
#include "emulink/SteadyClock.h"
#include "testsupport/PauseSkippingClock.h"
#include "testsupport/VirtualBoard.h"

#include <QCoreApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>

using namespace std::chrono_literals;
using ::testing::ElementsAre;

namespace vantrell {
namespace {

namespace msg = link_messages;

using emulink::Bytes;
using emulink::chunkRead;
using emulink::kPullSoft;
using emulink::openPowered;
using emulink::QtSerialPort;
using emulink::setEmulatorId;
using emulink::setPull;
using emulink::setupVersionProbe;
using emulink::shortWrite;
using emulink::SteadyClock;
using emulink::UploadResult;
using emulink::versionRequest;
using emulink::WriteThroughResult;
using testsupport::PauseSkippingClock;

Bytes romImage(std::size_t size)
{
    Bytes rom(size);
    for (std::size_t i = 0; i < size; ++i)
        rom[i] = static_cast<std::uint8_t>((i * 13 + i / 256 + 5) & 0xFF);
    return rom;
}

class LinkOverPty : public ::testing::Test
{
  protected:
    void start(QStringList arguments)
    {
        board = std::make_unique<testsupport::VirtualBoard>(arguments);
        ASSERT_TRUE(board->start()) << board->errorText().toStdString();
        link.setPortName(board->portPath());
    }
    // Scan and go online as a user would; the found boards are then the link's.
    void scanAndGoOnline(int expectedBoards)
    {
        ASSERT_EQ(link.scan(), expectedBoards);
        ASSERT_TRUE(link.goOnline());
        status.lines.clear();
        ASSERT_TRUE(board->frames()); // forget the scan's frames
    }

    std::unique_ptr<testsupport::VirtualBoard> board;
    PauseSkippingClock clock;
    QtSerialPort port;
    common::StatusLines status;
    EmulatorLink link{port, clock, status};
};

TEST_F(LinkOverPty, ScanFindsBothBoardsAndGoingOnlineReportsTheBoard)
{
    start({"--boards", "1,2", "--size", "27c512", "--version", "2.7", "--no-pacing"});
    EXPECT_EQ(link.scan(), 2);
    EXPECT_THAT(status.lines,
                ElementsAre(msg::kScanning, "Found  2 emulators", "Emulator ID  1", "Emulator ID  2"));
    status.lines.clear();
    link.setRomSize(0x8000);
    EXPECT_TRUE(link.goOnline());
    EXPECT_THAT(status.lines,
                ElementsAre(msg::kLooking, "Emulator found : v 2. 7", "Can emulate up to 27c512 eprom size"));
    EXPECT_EQ(link.emulatorOffset(), 0x8000);
}

TEST_F(LinkOverPty, ScanWithNoBoardOnTheLineFindsNone)
{
    start({"--boards", "5", "--no-pacing"});
    EXPECT_EQ(link.scan(), 0);
    EXPECT_THAT(status.lines,
                ElementsAre(msg::kScanning, "Found  0 emulators", msg::kConnectBoard, msg::kRunSetupTool));
}

TEST_F(LinkOverPty, OnlineSearchOfASilentIdGivesUpAfterItsTenSecondsAndClosesThePort)
{
    start({"--boards", "1", "--no-pacing"});
    ASSERT_EQ(link.scan(), 1);
    ASSERT_TRUE(board->frames());
    link.setFoundEmulators({7, 0}, 1); // the board has gone, or changed its ID, since the scan
    clock.capRealWaits(20ms);
    status.lines.clear();
    const auto start = clock.now();
    EXPECT_FALSE(link.goOnline());
    const auto searched = clock.now() - start;
    EXPECT_GE(searched, 9500ms);
    EXPECT_LE(searched, 11500ms);
    EXPECT_THAT(status.lines, ElementsAre(msg::kLooking, msg::kNotFound));
    EXPECT_FALSE(link.isOnline());
    EXPECT_FALSE(port.isOpen());
    const auto frames = board->frames();
    ASSERT_TRUE(frames);
    ASSERT_GE(frames->size(), 9u); // one request a second
    for (const Bytes& frame : *frames)
        EXPECT_EQ(frame, versionRequest(7));
}

TEST_F(LinkOverPty, WriteThroughReachesBothBoardsInFoundOrder)
{
    start({"--boards", "1,2", "--no-pacing"});
    link.setRomSize(0x6000);
    scanAndGoOnline(2);
    EXPECT_EQ(link.writeThrough(0x0100, Bytes{0x12, 0x34}), WriteThroughResult::Sent);
    const auto frames = board->frames();
    ASSERT_TRUE(frames);
    EXPECT_THAT(*frames, ElementsAre(shortWrite(1, 0x2100, Bytes{0x12, 0x34}),
                                     shortWrite(2, 0x2100, Bytes{0x12, 0x34})));
    for (int id : {1, 2}) {
        const auto memory = board->memory(id);
        ASSERT_TRUE(memory);
        EXPECT_EQ((*memory)[0x2100], 0x12);
        EXPECT_EQ((*memory)[0x2101], 0x34);
    }
}

TEST_F(LinkOverPty, BlockReadRepairsABadChecksumAndReturnsWhatTheBoardHolds)
{
    start({"--boards", "1", "--no-pacing"});
    link.setRomSize(0x8000);
    scanAndGoOnline(1);
    ASSERT_EQ(link.writeThrough(0x300, Bytes(200, 0x42)), WriteThroughResult::Sent);
    ASSERT_TRUE(board->frames());
    ASSERT_TRUE(board->fault(QStringLiteral("wrongchecksum")));
    const std::optional<Bytes> block = link.readBlock(1, 0x300);
    ASSERT_TRUE(block);
    ASSERT_EQ(block->size(), 256u);
    EXPECT_EQ((*block)[0], 0x42);
    EXPECT_EQ((*block)[199], 0x42);
    EXPECT_EQ((*block)[200], 0xFF);
    const auto frames = board->frames();
    ASSERT_TRUE(frames);
    EXPECT_THAT(*frames, ElementsAre(chunkRead(1, 0x300), chunkRead(1, 0x300)));
    EXPECT_TRUE(status.lines.empty());
}

TEST_F(LinkOverPty, APortThatWillNotOpenSaysWhy)
{
    start({"--boards", "1", "--no-pacing"});
    QtSerialPort holder; // another program has the board's port
    ASSERT_TRUE(holder.open(board->portPath()));
    const std::pair<QString, std::string> cases[] = {
        {QStringLiteral("/dev/tessavel-no-such-port"),
         "No such port /dev/tessavel-no-such-port - check the cable and the port number"},
        {board->portPath(), "Port " + board->portPath().toStdString() +
                                " is in use by another program - close it and try again"},
    };
    for (const auto& [name, line] : cases) {
        link.setPortName(name);
        EXPECT_EQ(link.scan(), -1);
        EXPECT_THAT(status.lines, ElementsAre(msg::kPortError, line));
        status.lines.clear();
    }
}

TEST_F(LinkOverPty, UploadToTwoBoardsInterleavesChunksAndFillsTheTopOfTheMemory)
{
    for (const char* size : {"27c256", "27c512"}) {
        start({"--boards", "1,2", "--size", size, "--no-pacing"});
        link.setRomSize(0x8000); // loaded before going online, as at start-up
        scanAndGoOnline(2);
        const Bytes rom = romImage(0x8000);
        const UploadResult r = link.upload(rom);
        EXPECT_TRUE(r.complete) << size;
        EXPECT_THAT(status.lines, ElementsAre(msg::kUploadDone));
        const auto frames = board->frames();
        ASSERT_TRUE(frames);
        // The verified block writes; the read-back of two blocks a board follows them.
        std::vector<Bytes> writes;
        for (const Bytes& f : *frames)
            if (f.at(2) == emulink::kCmdVerifiedWrite)
                writes.push_back(f);
        EXPECT_EQ(frames->size(), 256u + 4);
        ASSERT_EQ(writes.size(), 256u);
        for (std::size_t i = 0; i < writes.size(); ++i)
            ASSERT_EQ(writes[i].at(1), 1 + i % 2) << "frame " << i;
        const std::size_t offset = link.capacity() - 0x8000;
        for (int id : {1, 2}) {
            const auto memory = board->memory(id);
            ASSERT_TRUE(memory);
            ASSERT_EQ(memory->size(), link.capacity());
            EXPECT_TRUE(std::equal(rom.begin(), rom.end(), memory->begin() + static_cast<long>(offset)))
                << size << " board " << id;
        }
        link.goOffline();
        board.reset();
        status.lines.clear();
    }
}

TEST_F(LinkOverPty, OneWrongBlockSumIsRepairedByARetry)
{
    start({"--boards", "1", "--no-pacing"});
    link.setRomSize(0x8000);
    scanAndGoOnline(1);
    ASSERT_TRUE(board->fault(QStringLiteral("wrongsum")));
    const Bytes rom = romImage(0x8000);
    EXPECT_TRUE(link.upload(rom).complete);
    EXPECT_THAT(status.lines, ElementsAre(msg::kUploadDone));
    const auto memory = board->memory(1);
    ASSERT_TRUE(memory);
    EXPECT_EQ(*memory, rom);
}

TEST_F(LinkOverPty, ASilentBoardEndsTheUploadWithinItsBound)
{
    start({"--boards", "1,2", "--no-pacing"});
    link.setRomSize(0x8000);
    scanAndGoOnline(2);
    ASSERT_TRUE(board->fault(QStringLiteral("noreply"), 1000));
    const UploadResult r = link.upload(romImage(0x8000));
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.chunksSent, 0);
    EXPECT_THAT(status.lines, ElementsAre(msg::kWarning, msg::kNotResponding, msg::kDisabled, msg::kWarning,
                                          msg::kUploadIncomplete, "Chunks sent: 0 of 128"));
    EXPECT_FALSE(link.isOnline());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(LinkOverPty, HangingUpTheLineMidUploadTakesTheLinkOffline)
{
    start({"--boards", "1", "--no-pacing"});
    link.setRomSize(0x8000);
    scanAndGoOnline(1);
    const UploadResult r = link.upload(romImage(0x8000), [&](int k, int) {
        if (k == 20) {
            ASSERT_TRUE(board->fault(QStringLiteral("hangup")));
        }
    });
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.chunksSent, 20);
    EXPECT_THAT(status.lines, ElementsAre(msg::kWarning, msg::kCommsError, msg::kDisabled, msg::kWarning,
                                          msg::kUploadIncomplete, "Chunks sent: 20 of 128"));
    EXPECT_FALSE(port.isOpen());
}

TEST_F(LinkOverPty, SetupCommandsSetTheIdAndThePullOfASingleBoard)
{
    start({"--boards", "1", "--no-pacing"});
    ASSERT_TRUE(openPowered(port, board->portPath()));
    SteadyClock realClock; // the setup tool's waits are fixed: they are what is under test
    EXPECT_EQ(setupVersionProbe(port, realClock, 1).size(), 3u);
    EXPECT_EQ(setEmulatorId(port, realClock, 2), (Bytes{'2'}));
    EXPECT_EQ(setupVersionProbe(port, realClock, 2).size(), 3u);
    EXPECT_TRUE(setupVersionProbe(port, realClock, 1).empty());
    setPull(port, realClock, kPullSoft);
    EXPECT_EQ(board->pull(2), 255);
}

} // namespace
} // namespace vantrell
