#include "Frames.h"

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>

using emulink::Bytes;

namespace {

Bytes bytes(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

} // namespace

TEST(Frames, ChecksumsWrapAtTheirWidth)
{
    EXPECT_EQ(emulink::frameChecksum({}), 0x00);
    const Bytes wraps = bytes({0xFF, 0x02});
    EXPECT_EQ(emulink::frameChecksum(wraps), 0x01);

    const Bytes erased(256, 0xFF);
    EXPECT_EQ(emulink::blockSum(erased), (std::array<std::uint8_t, 2>{0x00, 0xFF}));
    EXPECT_EQ(emulink::frameChecksum(erased), 0x00);

    // 258 x 0xFF = 0x100FE: the block sum keeps the low 16 bits.
    const Bytes wrapping(258, 0xFF);
    EXPECT_EQ(emulink::blockSum(wrapping), (std::array<std::uint8_t, 2>{0xFE, 0x00}));
}

TEST(Frames, ShortFramesMatchTheWireBytes)
{
    EXPECT_EQ(emulink::versionRequest(1), bytes({0x41, 0x01, 0x56, 0x98}));
    EXPECT_EQ(emulink::statusRequest(2), bytes({0x41, 0x02, 0x53, 0x96}));

    // Two bytes at ROM address 0x1234 with emulator offset 0x8000, board 2.
    const Bytes data = bytes({0x12, 0x34});
    EXPECT_EQ(emulink::shortWrite(2, 0x1234 + 0x8000, data),
              bytes({0x41, 0x02, 0x77, 0x02, 0x92, 0x34, 0x12, 0x34, 0xC8}));

    EXPECT_EQ(emulink::setEmulatorIdFrame(1), bytes({0x65, 0x01, 0x01, 0xFD, 0x01, 0x65}));
    EXPECT_EQ(emulink::setEmulatorIdFrame(2), bytes({0x65, 0x01, 0x01, 0xFD, 0x02, 0x66}));
    EXPECT_EQ(emulink::setPullFrame(emulink::kPullHard), bytes({0x65, 0x01, 0x01, 0xFF, 0x00, 0x66}));
    EXPECT_EQ(emulink::setPullFrame(emulink::kPullSoft), bytes({0x65, 0x01, 0x01, 0xFF, 0xFF, 0x65}));
}

TEST(Frames, ChunkFramesCarryZeroByteBeforeTheAddress)
{
    EXPECT_EQ(emulink::chunkRead(1, 0xFF00), bytes({0x41, 0x01, 0x52, 0x00, 0xFF, 0x00, 0x93}));

    Bytes data(256);
    std::iota(data.begin(), data.end(), 0); // sum 0x7F80
    const Bytes block = emulink::verifiedBlockWrite(2, 0x8100, data);
    ASSERT_EQ(block.size(), 263u);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 6), bytes({0x41, 0x02, 0x58, 0x00, 0x81, 0x00}));
    EXPECT_EQ(Bytes(block.begin() + 6, block.end() - 1), data);
    EXPECT_EQ(block.back(), emulink::frameChecksum(std::span(block).first(262)));

    const Bytes chunk = emulink::chunkWrite(1, 0x0000, data);
    ASSERT_EQ(chunk.size(), 263u);
    EXPECT_EQ(chunk[2], 'W');
    EXPECT_EQ(chunk[3], 0x00);
    EXPECT_EQ(chunk.back(), emulink::frameChecksum(std::span(chunk).first(262)));
}

TEST(Frames, ShortWriteRefusesCountsItsLengthByteCannotHold)
{
    const Bytes most(255, 0xAA);
    const Bytes frame = emulink::shortWrite(1, 0x7FFF, most);
    EXPECT_EQ(frame.size(), 262u);
    EXPECT_EQ(frame[3], 255);
    EXPECT_EQ(frame[4], 0x7F);
    EXPECT_EQ(frame[5], 0xFF);

    EXPECT_THROW(emulink::shortWrite(1, 0, Bytes{}), std::invalid_argument);
    EXPECT_THROW(emulink::shortWrite(1, 0, Bytes(256, 0)), std::invalid_argument);
}

TEST(Frames, ExpectedReplyLengths)
{
    EXPECT_EQ(emulink::expectedReplyLength('V'), 3u);
    EXPECT_EQ(emulink::expectedReplyLength('S'), 1u);
    EXPECT_EQ(emulink::expectedReplyLength('w'), 1u);
    EXPECT_EQ(emulink::expectedReplyLength('W'), 1u);
    EXPECT_EQ(emulink::expectedReplyLength('R'), 257u);
    EXPECT_EQ(emulink::expectedReplyLength('X'), 2u);
    EXPECT_EQ(emulink::expectedReplyLength('e'), 0u);
}
