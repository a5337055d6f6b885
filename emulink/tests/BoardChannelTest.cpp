// One board's bounded request over simulated boards, on a fake clock: how many frames a failing board
// gets, how long the waits last, and when a reply counts.
#include "BoardChannel.h"
#include "FakeClock.h"
#include "Frames.h"
#include "boardsim/InProcessPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <string>

using namespace std::chrono_literals;

namespace emulink {
namespace {

using boardsim::Fault;

struct ChannelRig
{
    ChannelRig() : bus({{1, 1, 0, 0x8000}}), port(bus, clock), channel(port, clock)
    {
        EXPECT_TRUE(openPowered(port, QStringLiteral("sim0")));
    }
    boardsim::BoardBus bus;
    FakeClock clock;
    boardsim::InProcessPort port;
    BoardChannel channel;
};

enum class Request { ShortWrite, VerifiedBlock, ChunkRead };

const char* requestName(Request request)
{
    switch (request) {
    case Request::ShortWrite:
        return "short write";
    case Request::VerifiedBlock:
        return "verified block write";
    case Request::ChunkRead:
        return "chunk read";
    }
    return "?";
}

TEST(BoardChannel, ARequestEndsAtTheThirdFailureInARowAndWaitsOnlyForRepliesThatCanStillCome)
{
    struct Case
    {
        Request request;
        Fault fault;
        int count;
        bool ok;
        int failures;
        std::size_t frames;
        Clock::Duration waited; // virtual time the request took
    };
    const auto bound = BoardChannel::kReplyTimeout;
    const Case cases[] = {
        {Request::ShortWrite, Fault::NoReply, 2, true, 2, 3, 2 * bound},
        {Request::ShortWrite, Fault::NoReply, 3, false, 3, 3, 3 * bound},
        {Request::ShortWrite, Fault::NoReply, 1000, false, 3, 3, 3 * bound},
        // A reply after the bound is no reply; the late one must not be taken for the retry's.
        {Request::ShortWrite, Fault::LateReply, 1, true, 1, 2, bound},
        // Two bytes too many can never become exactly two: no waiting for the bound.
        {Request::VerifiedBlock, Fault::ExtraBytes, 1, true, 1, 2, 0ms},
        {Request::VerifiedBlock, Fault::WrongBlockSum, 3, false, 3, 3, 0ms},
        {Request::ChunkRead, Fault::WrongChunkChecksum, 2, true, 2, 3, 0ms},
        {Request::ChunkRead, Fault::ExtraBytes, 1, true, 1, 2, 0ms},
        // The line hung up: nothing can answer, so nothing is sent again.
        {Request::ChunkRead, Fault::HangUp, 1, false, 1, 1, 0ms},
    };
    for (const Case& c : cases) {
        ChannelRig rig;
        rig.bus.setLateReplyDelay(400ms);
        auto& memory = rig.bus.boards()[0].memory;
        std::iota(memory.begin() + 0x100, memory.begin() + 0x200, 0);
        rig.bus.injectFault(c.fault, c.count);
        const Bytes data(256, 0x3C);
        const auto start = rig.clock.now();
        BoardChannel::Outcome outcome;
        switch (c.request) {
        case Request::ShortWrite:
            outcome = rig.channel.writeShort(1, 0x10, Bytes{7});
            break;
        case Request::VerifiedBlock:
            outcome = rig.channel.writeVerifiedBlock(1, 0x100, data);
            break;
        case Request::ChunkRead:
            outcome = rig.channel.readChunk(1, 0x100);
            break;
        }
        const std::string label = std::string(requestName(c.request)) + ", " + boardsim::faultName(c.fault) +
                                  " x" + std::to_string(c.count);
        EXPECT_EQ(outcome.ok, c.ok) << label;
        EXPECT_EQ(outcome.failures, c.failures) << label;
        EXPECT_EQ(rig.bus.frameLog().size(), c.frames) << label;
        EXPECT_EQ(rig.clock.now() - start, c.waited) << label;
        EXPECT_EQ(outcome.portClosed, c.fault == Fault::HangUp) << label;
        if (c.ok && c.request == Request::ChunkRead) {
            EXPECT_EQ(outcome.reply, Bytes(memory.begin() + 0x100, memory.begin() + 0x200)) << label;
        }
        if (!c.ok) {
            EXPECT_TRUE(outcome.reply.empty()) << label;
        }
    }
}

TEST(BoardChannel, AClosedPortGetsNoFrameAndNoWait)
{
    ChannelRig rig;
    closeDropped(rig.port);
    const auto start = rig.clock.now();
    const BoardChannel::Outcome outcome = rig.channel.askVersion(1);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.portClosed);
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_TRUE(rig.port.writes().empty());
    EXPECT_EQ(rig.clock.now(), start);
}

} // namespace
} // namespace emulink
