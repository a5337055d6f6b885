// The setup tool's exchanges over simulated boards: fixed waits, replies passed on unjudged.
#include "FakeClock.h"
#include "Frames.h"
#include "boardsim/InProcessPort.h"
#include "SetupCommands.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono_literals;

namespace emulink {
namespace {

struct SetupRig
{
    explicit SetupRig(std::vector<boardsim::BoardConfig> boards) : bus(std::move(boards)), port(bus, clock)
    {
        EXPECT_TRUE(openPowered(port, QStringLiteral("sim1")));
    }
    boardsim::BoardBus bus;
    FakeClock clock;
    boardsim::InProcessPort port;
};

TEST(SetupCommands, VersionProbeWaitsTheFixed50MsEvenWhenTheReplyIsThereAtOnce)
{
    SetupRig rig({{1, 2, 5, 0x10000}});
    auto start = rig.clock.now();
    EXPECT_EQ(setupVersionProbe(rig.port, rig.clock, 1), (Bytes{2, 5, '2'}));
    EXPECT_EQ(rig.clock.now() - start, 50ms);

    start = rig.clock.now();
    EXPECT_TRUE(setupVersionProbe(rig.port, rig.clock, 7).empty());
    EXPECT_EQ(rig.clock.now() - start, 50ms);
}

TEST(SetupCommands, SearchOfAll256IdsFindsBothBoardsInOrder)
{
    SetupRig rig({{1, 1, 0, 0x8000}, {2, 1, 0, 0x8000}});
    std::vector<int> found;
    for (int id = 0; id <= 255; ++id)
        if (!setupVersionProbe(rig.port, rig.clock, static_cast<std::uint8_t>(id)).empty())
            found.push_back(id);
    EXPECT_EQ(found, (std::vector<int>{1, 2}));
    EXPECT_EQ(rig.bus.frameLog().size(), 256u);
}

TEST(SetupCommands, SetIdAndSetPullSendTheirFramesAndReturnWhatCameWithinOneSecond)
{
    SetupRig rig({{1, 1, 0, 0x8000}});
    auto start = rig.clock.now();
    EXPECT_EQ(setEmulatorId(rig.port, rig.clock, 2), (Bytes{'2'}));
    EXPECT_EQ(rig.clock.now() - start, 1s);
    EXPECT_EQ(rig.bus.frameLog().back(), (Bytes{0x65, 0x01, 0x01, 0xFD, 0x02, 0x66}));
    EXPECT_EQ(rig.bus.boards()[0].config.id, 2);

    EXPECT_FALSE(setPull(rig.port, rig.clock, kPullSoft).empty());
    EXPECT_EQ(rig.bus.frameLog().back(), (Bytes{0x65, 0x01, 0x01, 0xFF, 0xFF, 0x65}));
    EXPECT_EQ(rig.bus.boards()[0].pullMode, 0xFF);
}

TEST(SetupCommands, ConfigurationWithNoBoardReturnsNothingAfterTheSecond)
{
    SetupRig rig({{1, 1, 0, 0x8000}});
    rig.bus.injectFault(boardsim::Fault::NoReply);
    const auto start = rig.clock.now();
    EXPECT_TRUE(setPull(rig.port, rig.clock, kPullHard).empty());
    EXPECT_EQ(rig.clock.now() - start, 1s);
}

} // namespace
} // namespace emulink
