#include "BoardConsole.h"

#include <gtest/gtest.h>

using boardsim::BoardBus;
using boardsim::BoardConfig;
using boardsim::BoardConsole;
using boardsim::ConsoleAnswer;
using boardsim::Fault;

namespace {

std::vector<std::string> lines(BoardConsole& console, std::string_view command)
{
    return console.execute(command).lines;
}

} // namespace

TEST(BoardConsole, DumpPrintsTheWholeMemoryOfTheBoardWithThatId)
{
    BoardBus bus({BoardConfig{1, 1, 0, 0x8000}, BoardConfig{2, 1, 0, 0x10000}});
    BoardConsole console(bus);
    bus.receive(emulink::shortWrite(2, 0x0001, emulink::Bytes{0x0A}));
    const auto answer = lines(console, "dump 2");
    ASSERT_EQ(answer.size(), 1u);
    ASSERT_EQ(answer[0].size(), 6u + 2u * 0x10000u);
    EXPECT_EQ(answer[0].substr(0, 12), "MEM 2 FF0AFF");
    EXPECT_EQ(lines(console, "dump 3"), std::vector<std::string>{"ERR no board with ID 3"});
    EXPECT_EQ(lines(console, "dump x"), std::vector<std::string>{"ERR no board with ID x"});
}

TEST(BoardConsole, FramesListsEachFrameOnceInHex)
{
    BoardBus bus({BoardConfig{}});
    BoardConsole console(bus);
    bus.receive(emulink::versionRequest(1));
    bus.receive(emulink::setPullFrame(emulink::kPullSoft));
    EXPECT_EQ(lines(console, "frames"), (std::vector<std::string>{"FRAMES 2", "41015698", "650101FFFF65"}));
    EXPECT_EQ(lines(console, "frames"), std::vector<std::string>{"FRAMES 0"});
}

TEST(BoardConsole, PullAndIdFollowTheConfigurationFrames)
{
    BoardBus bus({BoardConfig{7, 1, 0, 0x8000}});
    BoardConsole console(bus);
    EXPECT_EQ(lines(console, "pull 7"), std::vector<std::string>{"PULL 7 -1"});
    bus.receive(emulink::setPullFrame(emulink::kPullSoft));
    bus.receive(emulink::setEmulatorIdFrame(2));
    EXPECT_EQ(lines(console, "pull 2"), std::vector<std::string>{"PULL 2 255"});
    EXPECT_EQ(lines(console, "id 0"), std::vector<std::string>{"ID 0 2"});
    EXPECT_EQ(lines(console, "id 1"), std::vector<std::string>{"ERR no board at index 1"});

    const emulink::Bytes version = emulink::versionRequest(2);
    bus.receive(std::span(version).first(3));
    EXPECT_EQ(lines(console, "pending"), std::vector<std::string>{"PENDING 3"});
}

TEST(BoardConsole, FaultCommandsQueueFaultsAndRefuseBadOnes)
{
    BoardBus bus({BoardConfig{}});
    BoardConsole console(bus);
    EXPECT_EQ(lines(console, "fault late"), std::vector<std::string>{"OK fault late 1"});
    EXPECT_EQ(lines(console, "  fault late 2  "), std::vector<std::string>{"OK fault late 3"});
    EXPECT_EQ(bus.pendingFaults(Fault::LateReply), 3);
    EXPECT_EQ(lines(console, "fault late 0"), std::vector<std::string>{"OK fault late 0"});
    for (const char* bad : {"fault", "fault sometimes", "fault late -1", "fault late x", "late x"})
        EXPECT_EQ(console.execute(bad).lines.at(0).substr(0, 4), "ERR ") << bad;
    EXPECT_EQ(lines(console, "late 50"), std::vector<std::string>{"OK late 50"});
    EXPECT_EQ(bus.lateReplyDelay(), std::chrono::milliseconds(50));
}

// Found by the board fuzz target: two large counts typed for one fault overflowed the pending count.
TEST(BoardConsole, FaultCountsAddUpToTheLargestCountWithoutOverflow)
{
    BoardBus bus({BoardConfig{}});
    BoardConsole console(bus);
    EXPECT_EQ(lines(console, "fault noreply 1844674407"),
              std::vector<std::string>{"OK fault noreply 1844674407"});
    EXPECT_EQ(lines(console, "fault noreply 1844674407"),
              std::vector<std::string>{"OK fault noreply 2147483647"});
    EXPECT_EQ(bus.pendingFaults(Fault::NoReply), 2147483647);
}

TEST(BoardConsole, SaveAndQuitAreHandedToTheCaller)
{
    BoardBus bus({BoardConfig{}});
    BoardConsole console(bus);
    const ConsoleAnswer save = console.execute("save /tmp/x");
    EXPECT_EQ(save.action, ConsoleAnswer::Action::Save);
    EXPECT_EQ(save.saveDir, "/tmp/x");
    EXPECT_TRUE(save.lines.empty());
    const ConsoleAnswer quit = console.execute("quit");
    EXPECT_EQ(quit.action, ConsoleAnswer::Action::Quit);
    EXPECT_EQ(quit.lines, std::vector<std::string>{"OK quit"});
    EXPECT_EQ(console.execute("hangup").action, ConsoleAnswer::Action::HangUp);
    EXPECT_TRUE(console.execute("").lines.empty());
    EXPECT_EQ(console.execute("jump").lines.at(0).substr(0, 4), "ERR ");
}
