#include "BoardBus.h"

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>

using boardsim::BoardBus;
using boardsim::BoardConfig;
using boardsim::Fault;
using emulink::Bytes;

namespace {

Bytes counting(std::size_t n, std::uint8_t first = 0)
{
    Bytes data(n);
    std::iota(data.begin(), data.end(), first);
    return data;
}

BoardBus twoBoards()
{
    return BoardBus({BoardConfig{1, 1, 2, 0x8000}, BoardConfig{2, 3, 4, 0x10000}});
}

std::vector<Bytes> replyBytes(const std::vector<boardsim::Reply>& replies)
{
    std::vector<Bytes> out;
    for (const auto& r : replies)
        out.push_back(r.bytes);
    return out;
}

} // namespace

TEST(BoardBus, RefusesConfigurationsNoBoardHas)
{
    EXPECT_THROW(BoardBus({}), std::invalid_argument);
    EXPECT_THROW(BoardBus({BoardConfig{1, 1, 0, 0x4000}}), std::invalid_argument);
}

TEST(BoardBus, StartsErasedWithItsCapacity)
{
    BoardBus bus = twoBoards();
    EXPECT_EQ(bus.boards()[0].memory, Bytes(0x8000, 0xFF));
    EXPECT_EQ(bus.boards()[1].memory, Bytes(0x10000, 0xFF));
    EXPECT_EQ(bus.boards()[0].pullMode, -1);
}

TEST(BoardBus, VersionAndStatusAreAnsweredOnlyByTheAddressedBoard)
{
    BoardBus bus = twoBoards();
    EXPECT_EQ(replyBytes(bus.receive(emulink::versionRequest(1))), (std::vector<Bytes>{{1, 2, '1'}}));
    EXPECT_EQ(replyBytes(bus.receive(emulink::versionRequest(2))), (std::vector<Bytes>{{3, 4, '2'}}));
    EXPECT_TRUE(bus.receive(emulink::versionRequest(3)).empty());
    EXPECT_EQ(replyBytes(bus.receive(emulink::statusRequest(2))), (std::vector<Bytes>{{'K'}}));
}

TEST(BoardBus, WritesChangeOnlyTheAddressedBoardsMemory)
{
    BoardBus bus = twoBoards();
    const Bytes two{0x12, 0x34};
    EXPECT_EQ(replyBytes(bus.receive(emulink::shortWrite(2, 0x9234, two))), (std::vector<Bytes>{{'K'}}));
    EXPECT_EQ(bus.boards()[1].memory[0x9234], 0x12);
    EXPECT_EQ(bus.boards()[1].memory[0x9235], 0x34);
    EXPECT_EQ(bus.boards()[0].memory, Bytes(0x8000, 0xFF));

    const Bytes data = counting(256);
    EXPECT_EQ(replyBytes(bus.receive(emulink::chunkWrite(1, 0x0100, data))), (std::vector<Bytes>{{'K'}}));
    EXPECT_EQ(Bytes(bus.boards()[0].memory.begin() + 0x100, bus.boards()[0].memory.begin() + 0x200), data);
}

TEST(BoardBus, ChunkReadReturnsTheMemoryAndItsChecksum)
{
    BoardBus bus = twoBoards();
    const Bytes data = counting(256, 7);
    bus.receive(emulink::chunkWrite(2, 0xFF00, data));
    const auto replies = bus.receive(emulink::chunkRead(2, 0xFF00));
    ASSERT_EQ(replies.size(), 1u);
    ASSERT_EQ(replies[0].bytes.size(), 257u);
    EXPECT_EQ(Bytes(replies[0].bytes.begin(), replies[0].bytes.end() - 1), data);
    EXPECT_EQ(replies[0].bytes.back(), emulink::frameChecksum(data));
}

TEST(BoardBus, VerifiedBlockWriteAnswersTheBlockSumLowByteFirst)
{
    BoardBus bus = twoBoards();
    const Bytes erased(256, 0xFF);
    EXPECT_EQ(replyBytes(bus.receive(emulink::verifiedBlockWrite(1, 0x7F00, erased))),
              (std::vector<Bytes>{{0x00, 0xFF}}));
    const Bytes data = counting(256); // sum 0x7F80
    EXPECT_EQ(replyBytes(bus.receive(emulink::verifiedBlockWrite(1, 0x7F00, data))),
              (std::vector<Bytes>{{0x80, 0x7F}}));
    EXPECT_EQ(bus.boards()[0].memory[0x7FFF], 0xFF);
}

TEST(BoardBus, AddressesBeyondASmallBoardWrapRoundItsMemory)
{
    BoardBus bus({BoardConfig{1, 1, 0, 0x8000}});
    bus.receive(emulink::shortWrite(1, 0x8001, Bytes{0xAB}));
    EXPECT_EQ(bus.boards()[0].memory[0x0001], 0xAB);
    bus.receive(emulink::chunkWrite(1, 0x7F80, counting(256)));
    EXPECT_EQ(bus.boards()[0].memory[0x7FFF], 0x7F);
    EXPECT_EQ(bus.boards()[0].memory[0x0000], 0x80);

    // A board that claims the large size keeps its small memory and wraps all the same.
    BoardBus liar({BoardConfig{1, 1, 0, 0x8000, 0x10000}});
    EXPECT_EQ(replyBytes(liar.receive(emulink::versionRequest(1))), (std::vector<Bytes>{{1, 0, '2'}}));
    EXPECT_EQ(liar.boards()[0].memory.size(), 0x8000u);
    liar.receive(emulink::shortWrite(1, 0xC000, Bytes{0xCD}));
    EXPECT_EQ(liar.boards()[0].memory[0x4000], 0xCD);
}

TEST(BoardBus, ConfigurationFramesAreTakenAndAnsweredByEveryBoard)
{
    BoardBus bus = twoBoards();
    EXPECT_EQ(replyBytes(bus.receive(emulink::setPullFrame(emulink::kPullSoft))),
              (std::vector<Bytes>{{'P'}, {'P'}}));
    EXPECT_EQ(bus.boards()[0].pullMode, 0xFF);
    EXPECT_EQ(bus.boards()[1].pullMode, 0xFF);
    bus.receive(emulink::setPullFrame(emulink::kPullHard));
    EXPECT_EQ(bus.boards()[1].pullMode, 0x00);

    BoardBus single({BoardConfig{5, 1, 0, 0x8000}});
    EXPECT_EQ(replyBytes(single.receive(emulink::setEmulatorIdFrame(2))), (std::vector<Bytes>{{'2'}}));
    // The new ID holds at once: the old one is no longer answered.
    EXPECT_TRUE(single.receive(emulink::versionRequest(5)).empty());
    EXPECT_EQ(single.receive(emulink::versionRequest(2)).size(), 1u);
}

TEST(BoardBus, FramesWithAWrongChecksumAreLoggedButIgnored)
{
    BoardBus bus = twoBoards();
    Bytes bad = emulink::shortWrite(1, 0x0000, Bytes{0x00});
    bad.back() ^= 0x01;
    EXPECT_TRUE(bus.receive(bad).empty());
    EXPECT_EQ(bus.boards()[0].memory[0], 0xFF);
    Bytes badConfig = emulink::setEmulatorIdFrame(9);
    badConfig.back() ^= 0x01;
    EXPECT_TRUE(bus.receive(badConfig).empty());
    EXPECT_EQ(bus.boards()[0].config.id, 1);
    EXPECT_EQ(bus.frameLog().size(), 2u);
    // The parser is back in step for the next frame.
    EXPECT_EQ(bus.receive(emulink::versionRequest(1)).size(), 1u);
    bus.clearFrameLog();
    EXPECT_TRUE(bus.frameLog().empty());
}

TEST(BoardBus, FramesArrivingInPiecesAreAnsweredWhenComplete)
{
    BoardBus bus = twoBoards();
    const Bytes frame = emulink::verifiedBlockWrite(2, 0x1000, counting(256));
    std::size_t at = 0;
    for (std::size_t piece : {1u, 2u, 60u, 199u}) {
        EXPECT_TRUE(bus.receive(std::span(frame).subspan(at, piece)).empty());
        at += piece;
    }
    EXPECT_EQ(bus.partialFrameLength(), 262u);
    const auto replies = bus.receive(std::span(frame).subspan(at));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].frameStart, 0u);
    EXPECT_EQ(replies[0].frameLength, 263u);

    // Two frames and noise in one piece: both answered, in order, with their stream positions.
    Bytes burst{0x00, 0x13};
    const Bytes v1 = emulink::versionRequest(1), v2 = emulink::versionRequest(2);
    burst.insert(burst.end(), v1.begin(), v1.end());
    burst.insert(burst.end(), v2.begin(), v2.end());
    const auto both = bus.receive(burst);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].bytes[0], 1);
    EXPECT_EQ(both[1].bytes[0], 3);
    EXPECT_EQ(both[0].frameStart, 263u + 2u);
    EXPECT_EQ(both[1].frameStart, 263u + 6u);
}

TEST(BoardBus, UnknownCommandLetterResynchronisesOnTheNextStart)
{
    BoardBus bus = twoBoards();
    // A stray 'A' before a frame: "A A 01 V C" reads as ID 'A' with the unknown command 0x01 until the
    // parser drops the first 'A' and finds the frame that starts at the second.
    Bytes stream{'A'};
    const Bytes v = emulink::versionRequest(1);
    stream.insert(stream.end(), v.begin(), v.end());
    const auto replies = bus.receive(stream);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].frameStart, 1u);
    EXPECT_EQ(bus.frameLog().size(), 1u);
}

TEST(BoardBus, DiscardInputDropsAPartialFrame)
{
    BoardBus bus = twoBoards();
    const Bytes write = emulink::chunkWrite(1, 0, counting(256));
    bus.receive(std::span(write).first(100));
    bus.discardInput();
    EXPECT_EQ(bus.partialFrameLength(), 0u);
    // Without the discard the version request would be swallowed as chunk data.
    EXPECT_EQ(replyBytes(bus.receive(emulink::versionRequest(1))), (std::vector<Bytes>{{1, 2, '1'}}));
    EXPECT_EQ(bus.boards()[0].memory[0], 0xFF);
}

TEST(BoardBus, ReplyFaultsApplyToTheNextReplies)
{
    BoardBus bus = twoBoards();
    bus.injectFault(Fault::NoReply, 2);
    EXPECT_TRUE(bus.receive(emulink::versionRequest(1)).empty());
    EXPECT_TRUE(bus.receive(emulink::statusRequest(1)).empty());
    EXPECT_EQ(bus.receive(emulink::versionRequest(1)).size(), 1u);

    bus.setLateReplyDelay(std::chrono::milliseconds(400));
    bus.injectFault(Fault::LateReply);
    auto late = bus.receive(emulink::versionRequest(1));
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].delay, std::chrono::milliseconds(400));
    EXPECT_EQ(late[0].bytes, (Bytes{1, 2, '1'}));
    EXPECT_EQ(bus.receive(emulink::versionRequest(1))[0].delay, std::chrono::milliseconds(0));

    bus.injectFault(Fault::ExtraBytes);
    EXPECT_EQ(bus.receive(emulink::statusRequest(2))[0].bytes, (Bytes{'K', 0x5A, 0xA5}));

    bus.injectFault(Fault::HangUp);
    auto hang = bus.receive(emulink::versionRequest(2));
    ASSERT_EQ(hang.size(), 1u);
    EXPECT_TRUE(hang[0].hangUp);
    EXPECT_TRUE(hang[0].bytes.empty());

    bus.injectFault(Fault::NoReply, 3);
    bus.injectFault(Fault::NoReply, 0);
    EXPECT_EQ(bus.pendingFaults(Fault::NoReply), 0);
}

TEST(BoardBus, SumFaultsWaitForTheReplyTheyCorrupt)
{
    BoardBus bus = twoBoards();
    bus.injectFault(Fault::WrongBlockSum);
    bus.injectFault(Fault::WrongChunkChecksum);
    // A version reply is not what these faults change: it stays intact and they stay pending.
    EXPECT_EQ(bus.receive(emulink::versionRequest(1))[0].bytes, (Bytes{1, 2, '1'}));

    const Bytes erased(256, 0xFF);
    EXPECT_EQ(bus.receive(emulink::verifiedBlockWrite(1, 0, erased))[0].bytes, (Bytes{0x01, 0xFF}));
    EXPECT_EQ(bus.receive(emulink::verifiedBlockWrite(1, 0, erased))[0].bytes, (Bytes{0x00, 0xFF}));

    const Bytes chunk = bus.receive(emulink::chunkRead(1, 0))[0].bytes;
    EXPECT_NE(chunk.back(), emulink::frameChecksum(std::span(chunk).first(256)));
    const Bytes again = bus.receive(emulink::chunkRead(1, 0))[0].bytes;
    EXPECT_EQ(again.back(), emulink::frameChecksum(std::span(again).first(256)));
}

TEST(BoardBus, FaultNamesRoundTrip)
{
    for (Fault f : {Fault::NoReply, Fault::LateReply, Fault::WrongBlockSum, Fault::WrongChunkChecksum,
                    Fault::ExtraBytes, Fault::HangUp}) {
        Fault back{};
        ASSERT_TRUE(boardsim::faultFromName(boardsim::faultName(f), back));
        EXPECT_EQ(back, f);
    }
    Fault unused{};
    EXPECT_FALSE(boardsim::faultFromName("sometimes", unused));
}
