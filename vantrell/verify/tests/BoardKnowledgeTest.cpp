#include "vantrell/verify/BoardKnowledge.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrell {
namespace {

std::vector<std::uint8_t> block(const RomBuffer& rom, std::uint32_t start)
{
    const auto bytes = rom.range(start, kBoardBlock);
    return {bytes.begin(), bytes.end()};
}

TEST(BoardKnowledge, ReadsWritesAndUploadsMoveBlocksBetweenUnknownEqualAndDiffering)
{
    const RomBuffer rom(std::vector<std::uint8_t>(0x1000, 7));
    BoardKnowledge k;
    k.reset(rom.size(), {1, 2});
    EXPECT_EQ(k.blocks(1, BlockState::Unknown).size(), 16u);

    std::vector<std::uint8_t> board = block(rom, 0x300);
    board[5] = 9;
    board[6] = 9;
    EXPECT_EQ(k.blockRead(2, 3, board, rom), 2u);
    EXPECT_EQ(k.blockRead(2, 4, block(rom, 0x400), rom), 0u);
    EXPECT_EQ(k.state(2, 3), BlockState::Differs);
    EXPECT_EQ(k.state(2, 4), BlockState::Equal);
    EXPECT_TRUE(k.marked(0x305));
    EXPECT_TRUE(k.markedOn(2, 0x306));
    EXPECT_FALSE(k.markedOn(1, 0x306));

    k.written(0x305, 1); // a write-through the boards took: that mark goes, the block stays as it was
    EXPECT_FALSE(k.marked(0x305));
    EXPECT_TRUE(k.marked(0x306));
    k.changedUntold(0x410, 4); // the shunt: a block known equal now differs
    EXPECT_EQ(k.state(2, 4), BlockState::Differs);

    k.forget(); // offline: nothing known, the marks stay until a write or an upload
    EXPECT_EQ(k.state(2, 3), BlockState::Unknown);
    EXPECT_TRUE(k.marked(0x306));
    k.blockConfirmed(2, 3);
    EXPECT_FALSE(k.marked(0x306));
    k.uploaded();
    EXPECT_EQ(k.blocks(1, BlockState::Equal).size(), 16u);
    k.reset(rom.size(), {1}); // a load
    EXPECT_FALSE(k.knows(2));
}

TEST(BoardKnowledge, AnImageEndingInsideABlockIsReadAsTheLastWholeBlockAndComparedForItsOwnBytes)
{
    std::vector<std::uint8_t> bytes(0x250);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    const RomBuffer rom(bytes);
    BoardKnowledge k;
    k.reset(rom.size(), {1});
    ASSERT_EQ(k.blockCount(), 3u);
    EXPECT_EQ(k.blockStart(1), 0x100u);
    EXPECT_EQ(k.blockStart(2), 0x150u); // the 256 bytes that end with the image
    std::vector<std::uint8_t> board = block(rom, 0x150);
    board[0] = 0xEE; // 0x150 belongs to block 1: not this block's own byte
    EXPECT_EQ(k.blockRead(1, 2, board, rom), 0u);
    board[0xFF] = 0xEE; // 0x24F, the image's last byte
    EXPECT_EQ(k.blockRead(1, 2, board, rom), 1u);
    EXPECT_EQ(verifyLines(k, 1, 1),
              (std::vector<std::string>{"Emulator ID 1 differs in 1 block: 0x0200-0x024F",
                                        "Emulator ID 1: 1 byte differs from the ROM buffer"}));
}

TEST(BoardKnowledge, RangesJoinNeighboursAndStopAfterEight)
{
    BoardKnowledge k;
    k.reset(0x8000, {2});
    EXPECT_EQ(blockRanges(k, {0x70, 0x72, 0x73, 0x75}), "0x7000-0x70FF, 0x7200-0x73FF, 0x7500-0x75FF");
    EXPECT_EQ(blockRanges(k, {0, 2, 4, 6, 8, 10, 12, 14, 16, 18}),
              "0x0000-0x00FF, 0x0200-0x02FF, 0x0400-0x04FF, 0x0600-0x06FF, 0x0800-0x08FF, 0x0A00-0x0AFF, "
              "0x0C00-0x0CFF, 0x0E00-0x0EFF, ...");
    EXPECT_EQ(verifyLines(k, 2, 0), (std::vector<std::string>{"Emulator ID 2 holds the ROM buffer"}));
}

} // namespace
} // namespace vantrell
