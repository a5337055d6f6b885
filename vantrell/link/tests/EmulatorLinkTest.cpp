// The link over simulated boards in the test process, on a fake clock: every wait of seconds takes
// none.
#include "InProcessRig.h"

#include "emulink/Frames.h"

#include <QSignalSpy>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <numeric>
#include <optional>

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace vantrell::testing {
namespace {

namespace msg = link_messages;
using boardsim::Fault;
using emulink::Bytes;
using emulink::chunkRead;
using emulink::CommsEvent;
using emulink::commsEventName;
using emulink::kCmdVersion;
using emulink::kDialoutAdvice;
using emulink::OpenFailure;
using emulink::openFailureAdvice;
using emulink::shortWrite;
using emulink::UploadResult;
using emulink::verifiedBlockWrite;
using emulink::versionRequest;
using emulink::WriteThroughResult;

const std::vector<std::string> kNotRespondingLines{msg::kWarning, msg::kNotResponding, msg::kDisabled,
                                                   msg::kWarning};
const std::vector<std::string> kCommsErrorLines{msg::kWarning, msg::kCommsError, msg::kDisabled,
                                                msg::kWarning};

std::vector<std::uint8_t> idsOfFrames(const std::vector<Bytes>& frames)
{
    std::vector<std::uint8_t> ids;
    for (const Bytes& f : frames)
        ids.push_back(f.at(1));
    return ids;
}

// The upload's verified block writes among the frames (the read-back follows them).
std::vector<Bytes> blockWrites(const std::vector<Bytes>& frames)
{
    std::vector<Bytes> writes;
    for (const Bytes& f : frames)
        if (f.size() > 2 && f[2] == emulink::kCmdVerifiedWrite)
            writes.push_back(f);
    return writes;
}

Bytes romImage(std::size_t size)
{
    Bytes rom(size);
    for (std::size_t i = 0; i < size; ++i)
        rom[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
    return rom;
}

// --- frames on the wire, block read ---

TEST(EmulatorLinkReadBlock, BadRepliesAreReadAgainAndTheThirdInARowTakesTheLinkOffline)
{
    struct Case
    {
        Fault fault;
        int count;
        std::size_t frames;
        bool read;
    };
    for (const Case& c : {Case{Fault::WrongChunkChecksum, 1, 2, true}, Case{Fault::NoReply, 2, 3, true},
                          Case{Fault::ExtraBytes, 1, 2, true}, Case{Fault::WrongChunkChecksum, 3, 3, false},
                          Case{Fault::NoReply, 1000, 3, false}}) {
        InProcessRig rig({{1, 1, 0, 0x8000}});
        rig.link.setRomSize(0x8000);
        rig.online({1, 0}, 1);
        rig.bus.boards()[0].memory[0x300] = 0x42;
        rig.bus.injectFault(c.fault, c.count);
        const std::optional<Bytes> block = rig.link.readBlock(1, 0x300);
        const std::string label = std::string(boardsim::faultName(c.fault)) + " x" + std::to_string(c.count);
        EXPECT_EQ(rig.bus.frameLog().size(), c.frames) << label;
        EXPECT_EQ(block.has_value(), c.read) << label;
        EXPECT_EQ(rig.link.isOnline(), c.read) << label;
        if (c.read) {
            EXPECT_EQ(block->size(), 256u) << label;
            EXPECT_EQ(block->at(0), 0x42) << label;
            EXPECT_TRUE(rig.status.lines.empty()) << label;
        } else {
            EXPECT_FALSE(rig.port.isOpen()) << label;
            EXPECT_EQ(rig.takeLines(), kNotRespondingLines) << label;
        }
    }
}

TEST(EmulatorLinkReadBlock, SendsNothingForABoardItCannotAddress)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.link.setFoundEmulators({1, 2}, 2);
    EXPECT_FALSE(rig.link.readBlock(1, 0)); // offline
    rig.online();
    EXPECT_FALSE(rig.link.readBlock(3, 0)); // not a found board
    EXPECT_TRUE(rig.status.lines.empty());
    // Out of range: refused with a line each time, never counted towards going offline.
    for (std::uint32_t address : {0x7F01u, 0x8000u, 0x8000u, 0x8000u})
        EXPECT_FALSE(rig.link.readBlock(1, address)) << address;
    const auto lines = rig.takeLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Read refused - ROM address &h7F01 to &h8000 is outside the emulator memory");
    EXPECT_TRUE(rig.link.isOnline());
    EXPECT_TRUE(rig.bus.frameLog().empty());

    rig.link.setFoundEmulators({1, 2}, 0);
    EXPECT_FALSE(rig.link.readBlock(1, 0));
    EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kNoBoardInList));
    EXPECT_FALSE(rig.link.isOnline());
    EXPECT_TRUE(rig.bus.frameLog().empty());
}

TEST(EmulatorLinkFrames, OnlineWithAnEmptyFoundListGoesOfflineInsteadOfAddressingNobody)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.online({1, 2}, 2);
    rig.link.setFoundEmulators({1, 2}, 0);
    QSignalSpy online(&rig.link, &EmulatorLink::onlineChanged);
    EXPECT_EQ(rig.link.writeThrough(0x10, bytesOf({1})), WriteThroughResult::LinkDropped);
    EXPECT_FALSE(rig.link.isOnline());
    EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kNoBoardInList));
    EXPECT_TRUE(rig.bus.frameLog().empty());
    ASSERT_EQ(online.count(), 1);
    EXPECT_FALSE(online.at(0).at(0).toBool());
}

TEST(EmulatorLinkScan, FindsBoardsOneAndTwoAfterTheThreeSecondPause)
{
    InProcessRig rig;
    QSignalSpy progress(&rig.link, &EmulatorLink::scanProgress);
    QSignalSpy found(&rig.link, &EmulatorLink::foundCountChanged);
    const auto start = rig.clock.now();
    EXPECT_EQ(rig.link.scan(), 2);
    EXPECT_GE(rig.clock.now() - start, 3s);
    EXPECT_THAT(rig.takeLines(),
                ElementsAre(msg::kScanning, "Found  2 emulators", "Emulator ID  1", "Emulator ID  2"));
    EXPECT_EQ(rig.link.foundCount(), 2);
    EXPECT_EQ(rig.link.foundIds(), (std::array<std::uint8_t, 2>{1, 2}));
    ASSERT_EQ(progress.count(), 3);
    EXPECT_EQ(progress.at(0).at(0).toInt(), 1);
    EXPECT_EQ(progress.at(1).at(0).toInt(), 2);
    EXPECT_EQ(progress.at(2).at(0).toInt(), 0);
    EXPECT_EQ(found.count(), 2);
    EXPECT_TRUE(rig.port.isOpen()); // powered, still offline
    EXPECT_FALSE(rig.link.isOnline());
    // Reopened before each probe: one open for the scan, one per ID.
    EXPECT_EQ(rig.port.openCount(), 3);
}

TEST(EmulatorLinkScan, FindsNoBoardAndSaysSoKeepingTheOldSlots)
{
    InProcessRig rig({{5, 1, 0, 0x8000}});
    rig.link.setFoundEmulators({2, 1}, 2);
    EXPECT_EQ(rig.link.scan(), 0);
    EXPECT_THAT(rig.takeLines(),
                ElementsAre(msg::kScanning, "Found  0 emulators", msg::kConnectBoard, msg::kRunSetupTool));
    EXPECT_EQ(rig.link.foundCount(), 0);
    EXPECT_EQ(rig.link.foundIds(), (std::array<std::uint8_t, 2>{2, 1}));
}

TEST(EmulatorLinkScan, ABoardAloneAtIdTwoFillsTheFirstSlot)
{
    InProcessRig rig({{2, 1, 0, 0x8000}});
    EXPECT_EQ(rig.link.scan(), 1);
    EXPECT_EQ(rig.link.foundIds()[0], 2);
    EXPECT_EQ(rig.takeLines().back(), "Emulator ID  2");
}

TEST(EmulatorLinkScan, PortThatWillNotOpenStopsTheScanAndAnOnlineLinkGoesOffline)
{
    InProcessRig rig;
    rig.online();
    rig.port.refuseName(QStringLiteral("sim0"));
    EXPECT_EQ(rig.link.scan(), -1);
    EXPECT_EQ(rig.takeLines().at(0), msg::kPortError);
    EXPECT_FALSE(rig.link.isOnline());
}

TEST(EmulatorLinkScan, AScanFindingNothingWhileOnlineTakesTheLinkOffline)
{
    InProcessRig rig;
    rig.online();
    rig.bus.injectFault(Fault::NoReply, 2);
    EXPECT_EQ(rig.link.scan(), 0);
    EXPECT_FALSE(rig.link.isOnline());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.takeLines().back(), msg::kNoBoardInList);
}

TEST(EmulatorLinkOnline, GoingOnlineReportsVersionAndSizeAndColoursOnce)
{
    for (const auto& [capacity, sizeLine] : {std::pair{0x8000u, "Can emulate up to 27c256 eprom size"},
                                             std::pair{0x10000u, "Can emulate up to 27c512 eprom size"}}) {
        InProcessRig rig({{1, 3, 12, capacity}});
        rig.link.setRomSize(0x8000);
        rig.link.setFoundEmulators({1, 0}, 1);
        QSignalSpy online(&rig.link, &EmulatorLink::onlineChanged);
        EXPECT_TRUE(rig.link.goOnline());
        EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kLooking, "Emulator found : v 3. 12", sizeLine));
        EXPECT_EQ(rig.link.capacity(), capacity);
        EXPECT_EQ(rig.link.emulatorOffset(), std::int64_t(capacity) - 0x8000);
        ASSERT_EQ(online.count(), 1);
        EXPECT_TRUE(online.at(0).at(0).toBool());

        rig.link.toggleOnline();
        EXPECT_FALSE(rig.link.isOnline());
        EXPECT_FALSE(rig.port.isOpen());
        EXPECT_EQ(online.count(), 2);
    }
}

TEST(EmulatorLinkOnline, SearchGivesUpAfterTenSecondsAndClosesThePort)
{
    InProcessRig rig;
    rig.link.setFoundEmulators({9, 0}, 1);
    QSignalSpy online(&rig.link, &EmulatorLink::onlineChanged);
    const auto start = rig.clock.now();
    EXPECT_FALSE(rig.link.goOnline());
    EXPECT_EQ(rig.clock.now() - start, 10s);
    EXPECT_EQ(rig.bus.frameLog().size(), 10u); // one request a second
    EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kLooking, msg::kNotFound));
    EXPECT_FALSE(rig.link.isOnline());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.port.dtr());
    EXPECT_EQ(online.count(), 0);
}

TEST(EmulatorLinkOnline, RefusedWithoutAFoundBoardOrAnOpenablePort)
{
    InProcessRig rig;
    EXPECT_FALSE(rig.link.goOnline());
    EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kNoBoardInList));

    rig.link.setFoundEmulators({1, 0}, 1);
    rig.port.refuseName(QStringLiteral("sim0"));
    EXPECT_FALSE(rig.link.goOnline());
    EXPECT_EQ(rig.takeLines().at(0), msg::kPortError);
    EXPECT_FALSE(rig.link.isOnline());
}

// A ROM larger than the smallest board is never written in pieces.
TEST(EmulatorLinkRomSize, OnlineIsRefusedWhenTheRomIsLargerThanTheSmallestBoard)
{
    struct Case
    {
        std::vector<boardsim::BoardConfig> boards;
        std::uint32_t romSize;
        std::uint32_t capacity; // afterwards
        bool online;
    };
    const std::string refused =
        "Online refused - ROM size of 65536 bytes is larger than the emulator memory of 32768 bytes";
    const Case cases[] = {
        {{{1, 1, 0, 0x8000}}, 0x10000, 0x8000, false},
        {{{1, 1, 0, 0x8000}, {2, 1, 0, 0x10000}}, 0x8000, 0x8000, true},
        {{{1, 1, 0, 0x8000}, {2, 1, 0, 0x10000}}, 0x10000, 0x8000, false},
        // The search only asks slot 1; the smaller board in slot 2 decides all the same.
        {{{1, 1, 0, 0x10000}, {2, 1, 0, 0x8000}}, 0x10000, 0x8000, false},
        {{{1, 1, 0, 0x10000}, {2, 1, 0, 0x10000}}, 0x10000, 0x10000, true},
    };
    for (const Case& c : cases) {
        InProcessRig rig(c.boards);
        const int count = static_cast<int>(c.boards.size());
        rig.link.setRomSize(c.romSize);
        rig.link.setFoundEmulators({1, 2}, count);
        QSignalSpy online(&rig.link, &EmulatorLink::onlineChanged);
        const std::string label = std::to_string(count) + " boards, ROM " + std::to_string(c.romSize) +
                                  ", slot 1 " + std::to_string(c.boards[0].capacity);

        EXPECT_EQ(rig.link.goOnline(), c.online) << label;
        EXPECT_EQ(rig.link.capacity(), c.capacity) << label;
        const auto lines = rig.takeLines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), refused), c.online ? 0 : 1) << label;
        for (const Bytes& frame : rig.bus.frameLog())
            EXPECT_EQ(frame[2], kCmdVersion) << label;
        if (c.online) {
            EXPECT_EQ(online.count(), 1) << label;
            continue;
        }
        ASSERT_FALSE(lines.empty()) << label;
        EXPECT_EQ(lines.back(), refused) << label;
        EXPECT_FALSE(rig.link.isOnline()) << label;
        EXPECT_FALSE(rig.port.isOpen()) << label;
        EXPECT_EQ(online.count(), 0) << label;
        // Edits at ROM 0x8000 and above used to reach the bottom of the board through a negative offset.
        EXPECT_EQ(rig.link.writeThrough(0x8000, bytesOf({1})), WriteThroughResult::NotOnline) << label;
        for (const auto& board : rig.bus.boards())
            EXPECT_TRUE(std::all_of(board.memory.begin(), board.memory.end(), [](std::uint8_t b) {
                return b == 0xFF;
            })) << label;
    }
}

TEST(EmulatorLinkRomSize, TheSecondBoardIsAskedItsSizeWhenGoingOnlineAndTheScanIsTheFallback)
{
    enum class Before { Scan, ScanThenSwapForA27C256, ScanThenSilent, NoScanSilent };
    struct Case
    {
        Before before;
        std::uint32_t capacity;
        bool online; // with a 64K ROM
        std::vector<std::string> sizeLines;
    };
    const std::string large = "Can emulate up to 27c512 eprom size";
    const std::string secondSmall = "Emulator ID  2 can emulate up to 27c256 eprom size";
    for (const Case& c : {Case{Before::Scan, 0x10000, true, {large}},
                          Case{Before::ScanThenSwapForA27C256, 0x8000, false, {large, secondSmall}},
                          Case{Before::ScanThenSilent, 0x10000, true, {large}},
                          Case{Before::NoScanSilent, 0x8000, false, {large, secondSmall}}}) {
        // Board 9 stands by to take ID 2 when the board answering to it is swapped.
        InProcessRig rig({{1, 1, 0, 0x10000}, {2, 1, 0, 0x10000}, {9, 1, 0, 0x8000}});
        rig.link.setRomSize(0x10000);
        if (c.before == Before::NoScanSilent)
            rig.link.setFoundEmulators({1, 2}, 2);
        else
            ASSERT_EQ(rig.link.scan(), 2);
        if (c.before != Before::Scan)
            rig.bus.boards()[1].config.id = 8; // ID 2 no longer answers
        if (c.before == Before::ScanThenSwapForA27C256)
            rig.bus.boards()[2].config.id = 2;
        rig.takeLines();
        rig.bus.clearFrameLog();

        EXPECT_EQ(rig.link.goOnline(), c.online) << int(c.before);
        EXPECT_EQ(rig.link.capacity(), c.capacity) << int(c.before);
        std::vector<std::string> lines = rig.takeLines();
        ASSERT_GE(lines.size(), 2u);
        lines.erase(lines.begin(), lines.begin() + 2); // "Looking for..." and "Emulator found..."
        if (!c.online)
            lines.pop_back(); // the refusal
        EXPECT_EQ(lines, c.sizeLines) << int(c.before);
        // A silent second board is asked a bounded number of times; one that answers is asked again,
        // so that two replies in a row confirm its size.
        const std::size_t asked =
            std::count(rig.bus.frameLog().begin(), rig.bus.frameLog().end(), versionRequest(2));
        const bool silent = c.before == Before::ScanThenSilent || c.before == Before::NoScanSilent;
        EXPECT_EQ(asked, silent ? std::size_t(EmulatorLink::kMaxFailuresInRow) : 2u) << int(c.before);
    }
}

TEST(EmulatorLinkRomSize, ALargerDefinitionLoadedWhileOnlineTakesTheLinkOffline)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.online();
    rig.link.setRomSize(0x4000); // smaller: still fits
    EXPECT_TRUE(rig.link.isOnline());
    EXPECT_TRUE(rig.status.lines.empty());

    rig.link.setRomSize(0x10000);
    EXPECT_FALSE(rig.link.isOnline());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_THAT(rig.takeLines(), ElementsAre("Emulator disabled - ROM size of 65536 bytes is larger than "
                                             "the emulator memory of 32768 bytes"));
    EXPECT_EQ(rig.link.writeThrough(0x8000, bytesOf({1})), WriteThroughResult::NotOnline);
    EXPECT_FALSE(rig.link.readBlock(1, 0x8000));
    EXPECT_FALSE(rig.link.upload(romImage(0x10000)).complete);
    EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kUploadOffline));
    EXPECT_TRUE(rig.bus.frameLog().empty());
}

TEST(EmulatorLinkRomSize, ASmallerBoardFoundByAScanWhileOnlineGoverns)
{
    for (const std::uint32_t romSize : {0x8000u, 0x10000u}) {
        InProcessRig rig({{1, 1, 0, 0x10000}, {2, 1, 0, 0x8000}});
        rig.link.setRomSize(romSize);
        rig.online({1, 0}, 1); // online with the large board alone; then the scan finds the small one
        ASSERT_EQ(rig.link.scan(), 2);
        EXPECT_EQ(rig.link.capacity(), 0x8000u) << romSize;
        EXPECT_EQ(rig.link.isOnline(), romSize == 0x8000) << romSize;
        if (romSize == 0x10000) {
            EXPECT_EQ(rig.takeLines().back(), "Emulator disabled - ROM size of 65536 bytes is larger than "
                                              "the emulator memory of 32768 bytes");
        }
    }
}

// --- a port that will not open ---

TEST(EmulatorLinkPortFailure, ScanAndGoingOnlineShowTheReasonUnderThePortError)
{
    const std::pair<OpenFailure, const char*> cases[] = {
        {OpenFailure::PermissionDenied,
         kDialoutAdvice ? "Permission denied on sim0 - add your user to the dialout group, then log in again"
                        : "Permission denied on sim0"},
        {OpenFailure::NoSuchPort, "No such port sim0 - check the cable and the port number"},
        {OpenFailure::InUse, "Port sim0 is in use by another program - close it and try again"},
        {OpenFailure::Other, "Cannot open sim0 - Input/output error"},
    };
    for (const auto& [failure, line] : cases) {
        InProcessRig rig;
        rig.port.refuseName(QStringLiteral("sim0"), failure);
        EXPECT_EQ(rig.link.scan(), -1);
        EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kPortError, line));
        rig.link.setFoundEmulators({1, 2}, 2);
        EXPECT_FALSE(rig.link.goOnline());
        EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kPortError, line));
        EXPECT_TRUE(rig.port.writes().empty());
    }
    // Away from Linux there is no dialout group to join; a port number without a port has no name.
    EXPECT_EQ(openFailureAdvice(OpenFailure::PermissionDenied, "COM3", "Access is denied.", false),
              "Permission denied on COM3");
    EXPECT_EQ(openFailureAdvice(OpenFailure::NoSuchPort, "", "no such port"),
              "No such port - check the cable and the port number");
}

TEST(EmulatorLinkOnline, LineEventsTakeTheLinkOfflineWithTheWarningLines)
{
    for (CommsEvent event :
         {CommsEvent::Break, CommsEvent::FramingError, CommsEvent::Overrun, CommsEvent::ReceiveOverflow,
          CommsEvent::ParityError, CommsEvent::TransmitFull, CommsEvent::SettingsError, CommsEvent::HangUp}) {
        InProcessRig rig;
        rig.online();
        rig.port.injectCommsEvent(event);
        EXPECT_FALSE(rig.link.isOnline()) << commsEventName(event);
        EXPECT_FALSE(rig.port.isOpen());
        EXPECT_FALSE(rig.port.dtr());
        EXPECT_EQ(rig.takeLines(), kCommsErrorLines);
    }
}

// --- write-through ---

TEST(EmulatorLinkWriteThrough, OfflineSendsNothingAndOutOfRangeIsRefusedWithALine)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.link.setFoundEmulators({1, 2}, 2);
    EXPECT_EQ(rig.link.writeThrough(0x10, bytesOf({1})), WriteThroughResult::NotOnline);
    EXPECT_TRUE(rig.port.writes().empty());

    rig.online();
    EXPECT_EQ(rig.link.writeThrough(0x7FFF, bytesOf({1, 2})), WriteThroughResult::Refused);
    const auto lines = rig.takeLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Write refused", 0), 0u);
    EXPECT_TRUE(rig.bus.frameLog().empty());
    EXPECT_TRUE(rig.link.isOnline());
    EXPECT_EQ(rig.link.writeThrough(0x7FFF, bytesOf({1})), WriteThroughResult::Sent);
}

TEST(EmulatorLinkWriteThrough, ALostReplyIsRetriedForThatBoardOnly)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.online();
    rig.bus.injectFault(Fault::NoReply, 2);
    EXPECT_EQ(rig.link.writeThrough(0x10, bytesOf({0x55})), WriteThroughResult::Sent);
    EXPECT_EQ(idsOfFrames(rig.bus.frameLog()), (std::vector<std::uint8_t>{1, 1, 1, 2}));
    EXPECT_TRUE(rig.link.isOnline());
    EXPECT_TRUE(rig.status.lines.empty());
}

TEST(EmulatorLinkWriteThrough, ThreeFailuresInARowTakeTheLinkOfflineWithTheMessage)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.online();
    rig.bus.injectFault(Fault::NoReply, 3);
    EXPECT_EQ(rig.link.writeThrough(0x10, bytesOf({0x55})), WriteThroughResult::LinkDropped);
    EXPECT_EQ(idsOfFrames(rig.bus.frameLog()), (std::vector<std::uint8_t>{1, 1, 1}));
    EXPECT_EQ(rig.takeLines(), kNotRespondingLines);
    EXPECT_FALSE(rig.link.isOnline());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.link.writeThrough(0x10, bytesOf({0x55})), WriteThroughResult::NotOnline);
}

TEST(EmulatorLinkWriteThrough, AHangUpDuringTheWaitEndsTheWriteWithTheCommsLines)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.online();
    rig.bus.injectFault(Fault::HangUp);
    EXPECT_EQ(rig.link.writeThrough(0x10, bytesOf({0x55})), WriteThroughResult::LinkDropped);
    EXPECT_EQ(rig.takeLines(), kCommsErrorLines);
    EXPECT_FALSE(rig.link.isOnline());
    EXPECT_EQ(rig.bus.frameLog().size(), 1u);
}

// --- upload ---

TEST(EmulatorLinkUpload, EveryChunkGoesToBothBoardsBeforeTheNextAndLandsAtTheTop)
{
    for (std::uint32_t capacity : {0x8000u, 0x10000u}) {
        InProcessRig rig({{1, 1, 0, capacity}, {2, 1, 0, capacity}});
        rig.link.setRomSize(0x8000); // the definition is loaded before the board reports its size
        rig.online();
        const Bytes rom = romImage(0x8000);
        std::vector<int> progress;
        const UploadResult r = rig.link.upload(rom, [&](int k, int count) {
            EXPECT_EQ(count, 128);
            progress.push_back(k);
        });
        EXPECT_TRUE(r.complete);
        EXPECT_EQ(r.chunksSent, 128);
        EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kUploadDone));
        ASSERT_EQ(progress.size(), 128u);
        EXPECT_EQ(progress.back(), 127);

        const auto frames = blockWrites(rig.bus.frameLog());
        ASSERT_EQ(frames.size(), 256u);
        const std::uint32_t offset = capacity - 0x8000;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const Bytes chunk(rom.begin() + (i / 2) * 256, rom.begin() + (i / 2) * 256 + 256);
            ASSERT_EQ(frames[i],
                      verifiedBlockWrite(static_cast<std::uint8_t>(1 + i % 2),
                                         static_cast<std::uint16_t>(offset + (i / 2) * 256), chunk))
                << "frame " << i;
        }
        for (auto& board : rig.bus.boards()) {
            EXPECT_TRUE(std::equal(rom.begin(), rom.end(), board.memory.begin() + offset));
            EXPECT_TRUE(std::all_of(board.memory.begin(), board.memory.begin() + offset,
                                    [](std::uint8_t b) { return b == 0xFF; }));
        }
    }
}

TEST(EmulatorLinkUpload, AChunkWithoutExactlyTheTwoSumBytesIsSentAgain)
{
    for (Fault fault : {Fault::WrongBlockSum, Fault::ExtraBytes, Fault::NoReply}) {
        InProcessRig rig;
        rig.link.setRomSize(0x8000);
        rig.online();
        rig.bus.injectFault(fault);
        const Bytes rom = romImage(0x8000);
        const UploadResult r = rig.link.upload(rom);
        EXPECT_TRUE(r.complete) << boardsim::faultName(fault);
        EXPECT_EQ(blockWrites(rig.bus.frameLog()).size(), 257u);
        EXPECT_EQ(rig.bus.frameLog()[0], rig.bus.frameLog()[1]); // the same chunk to the same board again
        EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kUploadDone));
        EXPECT_TRUE(std::equal(rom.begin(), rom.end(), rig.bus.boards()[0].memory.begin()));
    }
}

TEST(EmulatorLinkUpload, ABoardFallingSilentEndsTheUploadWithinItsBoundAsIncomplete)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.online();
    const auto start = rig.clock.now();
    const UploadResult r = rig.link.upload(romImage(0x8000), [&](int k, int) {
        if (k == 10)
            rig.bus.injectFault(Fault::NoReply, 1000);
    });
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.chunksSent, 10);
    EXPECT_EQ(rig.bus.frameLog().size(), 10u * 2 + 3);
    EXPECT_LE(rig.clock.now() - start, 3 * EmulatorLink::kReplyTimeout);
    std::vector<std::string> expected = kNotRespondingLines;
    expected.push_back(msg::kUploadIncomplete);
    expected.push_back("Chunks sent: 10 of 128");
    EXPECT_EQ(rig.takeLines(), expected);
    EXPECT_FALSE(rig.link.isOnline());
}

TEST(EmulatorLinkUpload, AHangUpMidwaySkipsTheRestAndSaysIncomplete)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.online();
    const UploadResult r = rig.link.upload(romImage(0x8000), [&](int k, int) {
        if (k == 5)
            rig.bus.injectFault(Fault::HangUp);
    });
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.chunksSent, 5);
    std::vector<std::string> expected = kCommsErrorLines;
    expected.push_back(msg::kUploadIncomplete);
    expected.push_back("Chunks sent: 5 of 128");
    EXPECT_EQ(rig.takeLines(), expected);
}

TEST(EmulatorLinkUpload, OfflineOrOversizedImagesSendNothing)
{
    InProcessRig rig;
    rig.link.setRomSize(0x8000);
    rig.link.setFoundEmulators({1, 2}, 2);
    EXPECT_FALSE(rig.link.upload(romImage(0x8000)).complete);
    EXPECT_THAT(rig.takeLines(), ElementsAre(msg::kUploadOffline));
    EXPECT_TRUE(rig.port.writes().empty());

    rig.online();
    EXPECT_EQ(rig.link.upload(romImage(0x8000 - 10)).chunkCount, 0);
    EXPECT_EQ(rig.takeLines().size(), 1u);
    EXPECT_EQ(rig.link.upload(romImage(0x4000)).chunkCount, 0); // not the definition's size
    EXPECT_EQ(rig.takeLines().size(), 1u);
    EXPECT_TRUE(rig.bus.frameLog().empty());
}

} // namespace
} // namespace vantrell::testing
