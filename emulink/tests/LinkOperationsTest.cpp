// The link's operations as results, over simulated boards on a fake clock: the frames each operation
// puts on the wire, what a range read returns block by block, the write entry with its held writes, the
// size check of going online and the read-back after an upload, and what each result says when the link
// refuses or goes offline.
#include "BoardChannel.h"
#include "FakeClock.h"
#include "Frames.h"
#include "LinkOperations.h"
#include "LinkSession.h"
#include "boardsim/InProcessPort.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace std::chrono_literals;
using ::testing::ElementsAre;

namespace emulink {
namespace {

using boardsim::Fault;

// Keeps what the operations announce, in order.
class EventLog : public LinkEvents
{
  public:
    void onlineChanged(bool online) override { events.push_back(online ? "online" : "offline"); }
    void wentOffline() override { events.push_back("wentOffline"); }
    void notice(Notice notice) override
    {
        events.push_back(notice == Notice::Scanning ? "notice: scanning" : "notice: looking");
    }
    std::vector<std::string> events;
};

struct OperationsRig
{
    // Two 27C512 boards, a 32K ROM: ROM address 0 is wire address 0x8000.
    OperationsRig()
        : bus({{1, 1, 0, 0x10000}, {2, 1, 0, 0x10000}}), port(bus, clock), channel(port, clock),
          operations(session, channel, events)
    {
        session.setPortName(QStringLiteral("sim0"));
        operations.setRomSize(0x8000);
        operations.setFoundBoards({1, 2}, 2);
        const OnlineResult online = operations.goOnline();
        EXPECT_EQ(online.outcome, OnlineResult::Outcome::Online);
        EXPECT_EQ(session.emulatorOffset(), 0x8000);
        for (auto& board : bus.boards())
            for (std::size_t i = 0; i < board.memory.size(); ++i)
                board.memory[i] = static_cast<std::uint8_t>(i * 5 + i / 256 + board.config.id);
        bus.clearFrameLog();
        events.events.clear();
    }
    Bytes memory(int board, std::size_t wire, std::size_t length) const
    {
        const Bytes& m = bus.boards()[std::size_t(board)].memory;
        return Bytes(m.begin() + std::ptrdiff_t(wire), m.begin() + std::ptrdiff_t(wire + length));
    }

    boardsim::BoardBus bus;
    FakeClock clock;
    boardsim::InProcessPort port;
    BoardChannel channel;
    LinkSession session;
    EventLog events;
    LinkOperations operations;
};

TEST(LinkOperationsRangeRead, ReadsEveryBlockOfTheRangeFromTheOneBoardWithProgress)
{
    OperationsRig rig;
    std::vector<std::pair<int, int>> progress;
    const RangeRead read = rig.operations.readRange(
        2, 0x7D00, 0x300, [&](int block, int count) { progress.emplace_back(block, count); });
    EXPECT_EQ(read.start, RangeRead::Start::Started);
    EXPECT_TRUE(read.complete);
    EXPECT_EQ(read.blockCount, 3);
    EXPECT_EQ(read.blocksRead, 3);
    EXPECT_EQ(read.bytes, rig.memory(1, 0xFD00, 0x300)); // the last three blocks of the ROM
    EXPECT_THAT(progress, ElementsAre(std::pair{0, 3}, std::pair{1, 3}, std::pair{2, 3}));
    EXPECT_THAT(rig.bus.frameLog(),
                ElementsAre(chunkRead(2, 0xFD00), chunkRead(2, 0xFE00), chunkRead(2, 0xFF00)));
}

TEST(LinkOperationsRangeRead, ABoardFallingSilentEndsTheReadWithTheBlocksReadBeforeIt)
{
    OperationsRig rig;
    const RangeRead read = rig.operations.readRange(1, 0, 0x800, [&](int block, int) {
        if (block == 5)
            rig.bus.injectFault(Fault::NoReply, 1000);
    });
    EXPECT_FALSE(read.complete);
    EXPECT_EQ(read.blockCount, 8);
    EXPECT_EQ(read.blocksRead, 5);
    EXPECT_EQ(read.bytes, rig.memory(0, 0x8000, 5 * 256));
    EXPECT_EQ(read.drop.cause, DropCause::NotResponding);
    EXPECT_EQ(read.drop.boardId, 1);
    EXPECT_EQ(read.drop.failures, BoardChannel::kMaxFailuresInRow);
    EXPECT_EQ(rig.bus.frameLog().size(), 5u + BoardChannel::kMaxFailuresInRow);
    EXPECT_FALSE(rig.session.isOnline());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_THAT(rig.events.events, ElementsAre("offline", "wentOffline"));
}

TEST(LinkOperationsRangeRead, ARangeThatCannotBeReadSendsNothingAndSaysWhy)
{
    struct Case
    {
        std::uint8_t id;
        std::uint32_t address;
        std::size_t length;
        RangeRead::Start start;
        RefusalReason reason;
    };
    const Case cases[] = {
        {3, 0, 256, RangeRead::Start::NotFound, RefusalReason::None},
        {1, 0, 300, RangeRead::Start::Refused, RefusalReason::NotWholeBlocks},
        {1, 0x7F00, 0x200, RangeRead::Start::Refused, RefusalReason::OutsideMemory},
        {1, 0x7F01, 0x100, RangeRead::Start::Refused, RefusalReason::OutsideMemory},
    };
    for (const Case& c : cases) {
        OperationsRig rig;
        const std::string label =
            std::to_string(c.id) + " @" + std::to_string(c.address) + " +" + std::to_string(c.length);
        const RangeRead read = rig.operations.readRange(c.id, c.address, c.length);
        EXPECT_EQ(read.start, c.start) << label;
        EXPECT_EQ(read.refusal.reason, c.reason) << label;
        EXPECT_FALSE(read.complete) << label;
        EXPECT_TRUE(rig.bus.frameLog().empty()) << label;
        EXPECT_TRUE(rig.session.isOnline()) << label; // a refusal is not a failure
    }

    OperationsRig rig;
    rig.operations.goOffline();
    EXPECT_EQ(rig.operations.readRange(1, 0, 256).start, RangeRead::Start::Offline);
    EXPECT_TRUE(rig.bus.frameLog().empty());
}

// A link over simulated boards (by default two 27C256 boards with IDs 1 and 2), port name set, offline.
struct LinkRig
{
    explicit LinkRig(std::vector<boardsim::BoardConfig> boards = {{1, 1, 0, 0x8000}, {2, 1, 0, 0x8000}})
        : bus(std::move(boards)), port(bus, clock), channel(port, clock), ops(session, channel, events)
    {
        session.setPortName(QStringLiteral("sim0"));
    }
    // Found list and online flag as a scan and a successful search would leave them.
    void online(std::array<std::uint8_t, 2> ids = {1, 2}, int count = 2)
    {
        ops.setFoundBoards(ids, count);
        ops.goOnline();
        bus.clearFrameLog();
        events.events.clear();
    }

    boardsim::BoardBus bus;
    FakeClock clock;
    boardsim::InProcessPort port;
    BoardChannel channel;
    LinkSession session;
    EventLog events;
    LinkOperations ops;
};

Bytes bytesOf(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

Bytes romImage(std::size_t size)
{
    Bytes rom(size);
    for (std::size_t i = 0; i < size; ++i)
        rom[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
    return rom;
}

std::vector<std::uint8_t> idsOfFrames(const std::vector<Bytes>& frames)
{
    std::vector<std::uint8_t> ids;
    for (const Bytes& f : frames)
        ids.push_back(f.at(1));
    return ids;
}

// --- frames on the wire ---

TEST(LinkOperationsFrames, AShortWriteCarriesTheOffsetWireAddressHighByteFirst)
{
    LinkRig rig({{2, 1, 0, 0x10000}});
    rig.ops.setRomSize(0x8000);
    rig.online({2, 0}, 1);
    ASSERT_EQ(rig.session.emulatorOffset(), 0x8000); // the 27C512 board's size was taken at once

    EXPECT_EQ(rig.ops.writeThrough(0x1234, bytesOf({0x12, 0x34})).result, WriteThroughResult::Sent);
    EXPECT_THAT(rig.bus.frameLog(),
                ElementsAre(bytesOf({0x41, 0x02, 0x77, 0x02, 0x92, 0x34, 0x12, 0x34, 0xC8})));
    EXPECT_EQ(rig.bus.boards()[0].memory[0x9234], 0x12);
    EXPECT_EQ(rig.bus.boards()[0].memory[0x9235], 0x34);
}

TEST(LinkOperationsFrames, AReplyLaterThanTheBoundCountsAsNoReply)
{
    LinkRig rig({{1, 1, 0, 0x8000}});
    rig.ops.setRomSize(0x8000);
    rig.online({1, 0}, 1);
    rig.bus.setLateReplyDelay(400ms);
    rig.bus.injectFault(Fault::LateReply);
    const auto start = rig.clock.now();
    EXPECT_EQ(rig.ops.writeThrough(0x10, bytesOf({1})).result, WriteThroughResult::Sent);
    EXPECT_EQ(rig.clock.now() - start, BoardChannel::kReplyTimeout); // then the retry was answered at once
    EXPECT_EQ(rig.bus.frameLog().size(), 2u);
}

TEST(LinkOperationsFrames, ReadsTheBoardsBytesAtTheOffsetWireAddress)
{
    LinkRig rig({{1, 1, 0, 0x10000}, {2, 1, 0, 0x10000}});
    rig.ops.setRomSize(0x8000);
    rig.online();
    auto& memory = rig.bus.boards()[1].memory;
    std::iota(memory.begin() + 0x8200, memory.begin() + 0x8300, 0);
    const RangeRead block = rig.ops.readRange(2, 0x200, kChunkSize);
    ASSERT_TRUE(block.complete);
    EXPECT_EQ(block.bytes, Bytes(memory.begin() + 0x8200, memory.begin() + 0x8300));
    EXPECT_THAT(rig.bus.frameLog(), ElementsAre(chunkRead(2, 0x8200)));
    EXPECT_EQ(rig.ops.readRange(1, 0x7F00, kChunkSize).bytes, Bytes(256, 0xFF)); // the last block of the ROM
}

TEST(LinkOperationsFrames, ACallFromInsideAWaitIsRefusedSoExchangesNeverInterleave)
{
    LinkRig rig;
    rig.ops.setRomSize(0x8000);
    rig.online();
    rig.bus.injectFault(Fault::NoReply, 1);
    WriteThroughResult inner = WriteThroughResult::Sent;
    std::optional<Bytes> innerRead{Bytes{}};
    int innerScan = 0;
    rig.clock.callAt(rig.clock.now() + 100ms, &rig.port, [&] {
        inner = rig.ops.writeThrough(0x20, bytesOf({9})).result;
        const RangeRead read = rig.ops.readRange(1, 0, kChunkSize);
        innerRead = read.complete ? std::optional<Bytes>(read.bytes) : std::nullopt;
        innerScan = rig.ops.scan().count();
    });
    EXPECT_EQ(rig.ops.writeThrough(0x10, bytesOf({7})).result, WriteThroughResult::Sent);
    EXPECT_EQ(inner, WriteThroughResult::Busy);
    EXPECT_FALSE(innerRead);
    EXPECT_EQ(innerScan, -1);
    // Board 1 was asked twice (first reply lost), then board 2; nothing from the inner calls.
    EXPECT_EQ(idsOfFrames(rig.bus.frameLog()), (std::vector<std::uint8_t>{1, 1, 2}));
    EXPECT_TRUE(rig.session.isOnline());
}

TEST(LinkOperationsPort, OpenRaisesDtrAndRtsAndCloseDropsThem)
{
    LinkRig rig;
    ASSERT_TRUE(rig.ops.openPort());
    EXPECT_TRUE(rig.port.dtr());
    EXPECT_TRUE(rig.port.rts());
    EXPECT_GE(rig.port.discardCount(), 1);
    rig.ops.closePort();
    EXPECT_FALSE(rig.port.isOpen());
    rig.port.refuseName(QStringLiteral("sim0"));
    EXPECT_FALSE(rig.ops.openPort());
    EXPECT_FALSE(rig.port.isOpen());
}

// --- the size a board says ---

TEST(LinkOperationsOnline, OnlyTheCharacterOneMeansTheSmallBoard)
{
    // The replies are put on the line by hand: a board with the byte value 1 as its size code, which
    // answers the search and the request that confirms the size.
    for (const auto& [code, capacity] : {std::pair{0x31, 0x8000u}, std::pair{0x01, 0x10000u}}) {
        LinkRig rig({{1, 1, 0, 0x8000}});
        rig.ops.setFoundBoards({9, 0}, 1); // nobody answers ID 9 but the injected replies
        for (auto at : {100ms, 200ms})
            rig.clock.callAt(rig.clock.now() + at, &rig.port, [&rig, code = code] {
                rig.port.injectReceived(bytesOf({2, 0, code}));
            });
        EXPECT_EQ(rig.ops.goOnline().outcome, OnlineResult::Outcome::Online);
        EXPECT_EQ(rig.session.capacity(), capacity);
    }
}

// The size byte has no checksum: a size counts when two replies in a row agree, two that disagree give
// the smaller, and a size that is not repeated within the bound gives the small one.
TEST(LinkOperationsOnline, ABoardsSizeCountsOnlyWhenTwoRepliesInARowAgree)
{
    struct Case
    {
        const char* name;
        std::vector<int> codes; // size codes of the replies after the search's, by hand; none: silent
        std::uint32_t capacity;
        SizeCheck check;
        std::uint32_t heard;
    };
    const Case cases[] = {
        {"agree", {'2'}, 0x10000, SizeCheck::Agreed, 0},
        {"disagree", {'1'}, 0x8000, SizeCheck::Disagreed, 0x10000},
        {"silent second reply", {}, 0x8000, SizeCheck::Unconfirmed, 0x10000},
        {"second reply late", {-1, '2'}, 0x10000, SizeCheck::Agreed, 0},
    };
    for (const Case& c : cases) {
        LinkRig rig({{1, 1, 0, 0x8000}});
        rig.ops.setRomSize(0x8000);
        rig.ops.setFoundBoards({9, 0}, 1); // only the replies injected below answer
        rig.clock.callAt(rig.clock.now() + 100ms, &rig.port, [&rig] {
            rig.port.injectReceived(bytesOf({1, 0, '2'}));
        });
        // Each later reply comes 100 ms into its request's wait; -1 leaves a request unanswered.
        for (std::size_t i = 0; i < c.codes.size(); ++i) {
            if (c.codes[i] < 0)
                continue;
            const auto at = 200ms + std::chrono::milliseconds(250 * i);
            rig.clock.callAt(rig.clock.now() + at, &rig.port, [&rig, code = c.codes[i]] {
                rig.port.injectReceived(bytesOf({1, 0, code}));
            });
        }
        const auto start = rig.clock.now();
        const OnlineResult result = rig.ops.goOnline();
        EXPECT_EQ(result.outcome, OnlineResult::Outcome::Online) << c.name;
        EXPECT_EQ(result.boardSize, c.capacity) << c.name;
        EXPECT_EQ(rig.session.capacity(), c.capacity) << c.name;
        EXPECT_EQ(result.sizeCheck, c.check) << c.name;
        EXPECT_EQ(result.heardSize, c.heard) << c.name;
        // The search's request and at most three more of 250 ms.
        EXPECT_LE(rig.bus.frameLog().size(), 1u + BoardChannel::kMaxFailuresInRow) << c.name;
        EXPECT_LE(rig.clock.now() - start,
                  100ms + BoardChannel::kMaxFailuresInRow * BoardChannel::kReplyTimeout)
            << c.name;
    }
}

TEST(LinkOperationsOnline, TheSecondBoardsSizeIsConfirmedTooAndTheSmallerGoverns)
{
    // Slot 2 (ID 9) is answered by hand: first the large size, then the small one.
    LinkRig rig({{1, 1, 0, 0x10000}});
    rig.ops.setRomSize(0x8000);
    rig.ops.setFoundBoards({1, 9}, 2);
    for (const auto& [at, code] : {std::pair{100ms, '2'}, std::pair{200ms, '1'}})
        rig.clock.callAt(rig.clock.now() + at, &rig.port, [&rig, code = code] {
            rig.port.injectReceived(bytesOf({1, 0, code}));
        });
    const OnlineResult result = rig.ops.goOnline();
    EXPECT_EQ(result.outcome, OnlineResult::Outcome::Online);
    EXPECT_EQ(result.sizeCheck, SizeCheck::Agreed);
    EXPECT_EQ(result.secondId, 9);
    EXPECT_EQ(result.secondSizeCheck, SizeCheck::Disagreed);
    EXPECT_EQ(result.secondHeardSize, 0x10000u);
    EXPECT_EQ(result.secondSize, 0x8000u);
    EXPECT_EQ(rig.session.capacity(), 0x8000u);
}

// --- the write entry ---

TEST(LinkOperationsWrite, EachBoardInFoundOrderGetsTheBytesAtTheSameWireAddress)
{
    LinkRig rig;
    rig.ops.setRomSize(0x4000);
    rig.online({2, 1}, 2);
    const int discardsBefore = rig.port.discardCount();
    EXPECT_EQ(rig.ops.writeThrough(0x123, bytesOf({0x12, 0x34})).result, WriteThroughResult::Sent);
    EXPECT_EQ(rig.port.discardCount() - discardsBefore, 2); // both buffers dropped before each frame
    EXPECT_THAT(rig.bus.frameLog(), ElementsAre(shortWrite(2, 0x4123, bytesOf({0x12, 0x34})),
                                                shortWrite(1, 0x4123, bytesOf({0x12, 0x34}))));
    for (auto& board : rig.bus.boards())
        EXPECT_EQ(board.memory[0x4124], 0x34);
}

TEST(LinkOperationsWrite, LongRangesGoInPiecesOfAtMost255Bytes)
{
    LinkRig rig;
    rig.ops.setRomSize(0x8000);
    rig.online();
    const Bytes data = romImage(600);
    EXPECT_EQ(rig.ops.writeThrough(0x1000, data).result, WriteThroughResult::Sent);
    const auto& frames = rig.bus.frameLog();
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(idsOfFrames(frames), (std::vector<std::uint8_t>{1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(frames[0][3], 255);
    EXPECT_EQ(frames[4][3], 90);
    for (auto& board : rig.bus.boards())
        EXPECT_TRUE(std::equal(data.begin(), data.end(), board.memory.begin() + 0x1000));
}

TEST(LinkOperationsWrite, AStepsRangesGoInOrderAndABoardFallingSilentEndsTheRest)
{
    LinkRig rig({{1, 1, 0, 0x8000}});
    rig.ops.setRomSize(0x8000);
    rig.online({1, 0}, 1);
    const Bytes wide(600, 1), narrow{7};
    const WriteRange step[] = {{1000, wide}, {4, narrow}};
    EXPECT_EQ(rig.ops.write(step).result, WriteThroughResult::Sent);
    std::vector<std::pair<int, int>> sent; // wire address, length
    for (const Bytes& f : rig.bus.frameLog())
        sent.emplace_back(f[4] << 8 | f[5], f[3]);
    EXPECT_THAT(
        sent, ElementsAre(std::pair{1000, 255}, std::pair{1255, 255}, std::pair{1510, 90}, std::pair{4, 1}));

    // A second board in the list that never answers: the first piece reaches board 1, then the link goes
    // offline and the rest stays in the buffer alone.
    LinkRig silent({{1, 1, 0, 0x8000}});
    silent.ops.setRomSize(0x8000);
    silent.online({1, 3}, 2);
    ASSERT_TRUE(silent.session.isOnline());
    const WriteReport report = silent.ops.write(step);
    EXPECT_EQ(report.result, WriteThroughResult::LinkDropped);
    EXPECT_EQ(report.drop.cause, DropCause::NotResponding);
    EXPECT_EQ(idsOfFrames(silent.bus.frameLog()), (std::vector<std::uint8_t>{1, 3, 3, 3}));
    EXPECT_EQ(silent.bus.boards()[0].memory[4], 0xFF);
}

// A write asked for from inside another exchange's wait (a timer or line event) is held until the link
// is free, so the two never share the wire.
TEST(LinkOperationsWrite, WriteDuringAWaitIsSentAfterTheExchange)
{
    LinkRig rig({{1, 1, 2, 0x8000}});
    rig.ops.setRomSize(0x8000);
    rig.online({1, 0}, 1);
    QObject context;
    const std::uint8_t byte = 0x5A;
    bool askedWhileBusy = false;
    rig.clock.callAt(rig.clock.now(), &context, [&] {
        askedWhileBusy = rig.session.isBusy();
        rig.ops.writeThrough(0x1234, std::span<const std::uint8_t>(&byte, 1));
    });
    const std::vector<std::uint8_t> rom(0x8000, 0x11);
    EXPECT_TRUE(rig.ops.upload(rom).complete);
    EXPECT_TRUE(askedWhileBusy);
    EXPECT_EQ(rig.ops.heldWrites(), 1u);
    for (int turn = 0; turn < 10 && rig.ops.heldWrites() != 0; ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(rig.ops.heldWrites(), 0u);

    const auto& frames = rig.bus.frameLog();
    ASSERT_EQ(frames.size(), 129u + 2); // and the upload's read-back of the first and last block
    for (std::size_t i = 0; i < 128; ++i)
        EXPECT_EQ(frames[i][2], 'X');
    EXPECT_EQ(frames[128 + 2][2], 'w');
    EXPECT_EQ(rig.bus.boards()[0].memory[0x1234], 0x5A);
}

// --- upload ---

TEST(LinkOperationsUpload, A64KImageFillsA27C512Board)
{
    LinkRig rig({{1, 1, 0, 0x10000}});
    rig.ops.setRomSize(0x10000);
    rig.online({1, 0}, 1);
    const Bytes rom = romImage(0x10000);
    const UploadResult r = rig.ops.upload(rom);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.chunkCount, 256);
    EXPECT_EQ(rig.bus.boards()[0].memory, rom);
}

TEST(LinkOperationsUpload, TheFirstAndLastBlockOfEachBoardAreReadBackAfterTheChunks)
{
    LinkRig rig({{1, 1, 0, 0x10000}, {2, 1, 0, 0x10000}});
    rig.ops.setRomSize(0x8000);
    rig.online();
    const Bytes rom = romImage(0x8000);
    const UploadResult r = rig.ops.upload(rom);
    EXPECT_TRUE(r.complete);
    const auto& frames = rig.bus.frameLog();
    ASSERT_EQ(frames.size(), 256u + 4);
    EXPECT_THAT(
        std::vector<Bytes>(frames.end() - 4, frames.end()),
        ElementsAre(chunkRead(1, 0x8000), chunkRead(1, 0xFF00), chunkRead(2, 0x8000), chunkRead(2, 0xFF00)));
    ASSERT_EQ(r.readBack.size(), 4u);
    for (const ReadBack& back : r.readBack)
        EXPECT_TRUE(back.equal) << int(back.id) << " " << back.romAddress;
}

// A 32K board that claims the large size, in both replies: the 64K image wraps round its memory, every
// block sum matches, and only reading the board back shows that its bottom holds the image's top half.
TEST(LinkOperationsUpload, ABoardThatWrapsItsMemoryIsNotReportedAsHoldingTheImage)
{
    LinkRig rig({{1, 1, 0, 0x8000, 0x10000}});
    rig.ops.setRomSize(0x10000);
    rig.online({1, 0}, 1);
    ASSERT_TRUE(rig.session.isOnline());
    ASSERT_EQ(rig.session.capacity(), 0x10000u);

    const Bytes rom = romImage(0x10000);
    const UploadResult result = rig.ops.upload(rom);
    EXPECT_EQ(result.chunksSent, 256); // every block sum matched
    EXPECT_FALSE(result.complete);
    EXPECT_FALSE(rig.session.isOnline());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(result.drop.cause, DropCause::ReadBackDiffers);
    EXPECT_EQ(result.drop.boardId, 1);
    EXPECT_EQ(result.drop.romAddress, 0u);
    ASSERT_EQ(result.readBack.size(), 2u);
    EXPECT_FALSE(result.readBack[0].equal);
    EXPECT_EQ(result.readBack[0].bytes, Bytes(rom.begin() + 0x8000, rom.begin() + 0x8100));
    EXPECT_TRUE(result.readBack[1].equal); // the top block is the last written: it is right
}

} // namespace
} // namespace emulink
