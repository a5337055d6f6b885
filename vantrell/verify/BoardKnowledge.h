// What the editor knows of each board's copy of the ROM image, block by block (256 bytes, as the
// chunk read and the verified block write carry them): a block is known equal to the buffer, known to
// differ from it, or unknown. And which bytes a board was last seen to hold differently (the grid's
// marks), until a write or an upload makes them equal.
//
// Blocks become known by a read (verify), a completed upload, or a block write read back equal. A
// block stays known equal through every write-through the boards acknowledged; one the buffer changed
// in without the boards being told (the shunt) becomes known to differ. Everything becomes unknown
// when the link goes offline and when an image or a definition is loaded (the marks go too then).
#pragma once

#include "vantrell/document/RomBuffer.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrell {

inline constexpr std::uint32_t kBoardBlock = 256;

enum class BlockState : std::uint8_t { Unknown, Equal, Differs };

class BoardKnowledge
{
  public:
    // The boards `ids` with a ROM image of `romSize` bytes: every block unknown, no marks.
    void reset(std::size_t romSize, const std::vector<std::uint8_t>& ids);
    // The link went offline: every block unknown; the marks stay.
    void forget();

    std::size_t romSize() const { return romSize_; }
    std::size_t blockCount() const { return (romSize_ + kBoardBlock - 1) / kBoardBlock; }
    const std::vector<std::uint8_t>& ids() const { return ids_; }
    bool knows(std::uint8_t id) const { return board(id) != nullptr; }
    BlockState state(std::uint8_t id, std::size_t block) const;
    // The blocks of board `id` in `state`, in address order.
    std::vector<std::size_t> blocks(std::uint8_t id, BlockState state) const;
    // Where block `block` is read and written: 256 bytes from this ROM address. A last block that the
    // image fills only in part is the 256 bytes that end with the image.
    std::uint32_t blockStart(std::size_t block) const;

    // Board `id` holds `bytes` (256) at blockStart(block): the block's own bytes are compared with the
    // buffer. Returns how many of them differ.
    std::size_t blockRead(std::uint8_t id, std::size_t block, std::span<const std::uint8_t> bytes,
                          const RomBuffer& rom);
    // Every board acknowledged the buffer's bytes at [address, address + length): their marks go.
    void written(std::uint32_t address, std::uint32_t length);
    // The buffer changed at [address, address + length) and no board was told: blocks known equal
    // there now differ (the marks are not touched: a verify shows where).
    void changedUntold(std::uint32_t address, std::uint32_t length);
    // Board `id` holds the buffer's block `block` (written and read back equal).
    void blockConfirmed(std::uint8_t id, std::size_t block);
    // Every board holds the whole buffer (a completed upload).
    void uploaded();

    // A board was last seen to hold another byte at `address`.
    bool marked(std::uint32_t address) const;
    bool markedOn(std::uint8_t id, std::uint32_t address) const;

  private:
    struct Board
    {
        std::uint8_t id = 0;
        std::vector<BlockState> blocks;
        std::vector<bool> marks; // by ROM address
    };
    Board* board(std::uint8_t id);
    const Board* board(std::uint8_t id) const;
    std::size_t blockOf(std::uint32_t address) const { return address / kBoardBlock; }

    std::size_t romSize_ = 0;
    std::vector<std::uint8_t> ids_;
    std::vector<Board> boards_;
};

// The status lines of a verify of one board: "Emulator ID 1 holds the ROM buffer", or "Emulator ID 2
// differs in 3 blocks: 0x7000-0x70FF, 0x7200-0x72FF, 0x7500-0x75FF" (neighbouring blocks as one range,
// at most eight ranges, then "...") and "Emulator ID 2: 17 bytes differ from the ROM buffer".
std::vector<std::string> verifyLines(const BoardKnowledge& knowledge, std::uint8_t id,
                                     std::size_t differingBytes);

// "0x7000-0x70FF, 0x7200-0x72FF" for blocks of the knowledge's image, at most `most` ranges, then "...".
std::string blockRanges(const BoardKnowledge& knowledge, const std::vector<std::size_t>& blocks,
                        std::size_t most = 8);

} // namespace vantrell
