// The link's operations as results, over simulated boards on a fake clock: what a range read returns,
// block by block, and what its result says when the link refuses or goes offline.
#include "BoardChannel.h"
#include "FakeClock.h"
#include "Frames.h"
#include "LinkOperations.h"
#include "LinkSession.h"
#include "boardsim/InProcessPort.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <utility>
#include <vector>

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

} // namespace
} // namespace emulink
