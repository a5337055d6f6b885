#include "vantrell/verify/BoardKnowledge.h"

#include "common/Numbers.h"

#include <algorithm>

namespace vantrell {

void BoardKnowledge::reset(std::size_t romSize, const std::vector<std::uint8_t>& ids)
{
    romSize_ = romSize;
    ids_ = ids;
    boards_.clear();
    for (std::uint8_t id : ids)
        boards_.push_back(Board{id, std::vector<BlockState>(blockCount(), BlockState::Unknown),
                                std::vector<bool>(romSize, false)});
}

void BoardKnowledge::forget()
{
    for (Board& b : boards_)
        std::fill(b.blocks.begin(), b.blocks.end(), BlockState::Unknown);
}

BoardKnowledge::Board* BoardKnowledge::board(std::uint8_t id)
{
    for (Board& b : boards_)
        if (b.id == id)
            return &b;
    return nullptr;
}

const BoardKnowledge::Board* BoardKnowledge::board(std::uint8_t id) const
{
    return const_cast<BoardKnowledge*>(this)->board(id);
}

BlockState BoardKnowledge::state(std::uint8_t id, std::size_t block) const
{
    const Board* b = board(id);
    return b && block < b->blocks.size() ? b->blocks[block] : BlockState::Unknown;
}

std::vector<std::size_t> BoardKnowledge::blocks(std::uint8_t id, BlockState state) const
{
    std::vector<std::size_t> out;
    if (const Board* b = board(id))
        for (std::size_t i = 0; i < b->blocks.size(); ++i)
            if (b->blocks[i] == state)
                out.push_back(i);
    return out;
}

std::uint32_t BoardKnowledge::blockStart(std::size_t block) const
{
    const std::size_t start = block * kBoardBlock;
    if (start + kBoardBlock > romSize_ && romSize_ >= kBoardBlock)
        return static_cast<std::uint32_t>(romSize_ - kBoardBlock);
    return static_cast<std::uint32_t>(start);
}

std::size_t BoardKnowledge::blockRead(std::uint8_t id, std::size_t block, std::span<const std::uint8_t> bytes,
                                      const RomBuffer& rom)
{
    Board* b = board(id);
    if (!b || block >= b->blocks.size())
        return 0;
    // Only the block's own bytes count: the end-aligned last block overlaps the one before it.
    const std::uint32_t own = static_cast<std::uint32_t>(block * kBoardBlock);
    const std::uint32_t end = static_cast<std::uint32_t>(std::min<std::size_t>(own + kBoardBlock, romSize_));
    const std::uint32_t start = blockStart(block);
    std::size_t differing = 0;
    for (std::uint32_t a = own; a < end; ++a) {
        const std::size_t i = a - start;
        const bool differs = i >= bytes.size() || bytes[i] != rom.at(a);
        b->marks[a] = differs;
        differing += differs;
    }
    b->blocks[block] = differing == 0 ? BlockState::Equal : BlockState::Differs;
    return differing;
}

void BoardKnowledge::written(std::uint32_t address, std::uint32_t length)
{
    for (Board& b : boards_)
        for (std::uint32_t a = address; a < address + length && a < b.marks.size(); ++a)
            b.marks[a] = false;
}

void BoardKnowledge::changedUntold(std::uint32_t address, std::uint32_t length)
{
    if (length == 0)
        return;
    for (Board& b : boards_)
        for (std::size_t k = blockOf(address); k <= blockOf(address + length - 1) && k < b.blocks.size(); ++k)
            if (b.blocks[k] == BlockState::Equal)
                b.blocks[k] = BlockState::Differs;
}

void BoardKnowledge::blockConfirmed(std::uint8_t id, std::size_t block)
{
    Board* b = board(id);
    if (!b || block >= b->blocks.size())
        return;
    b->blocks[block] = BlockState::Equal;
    const std::size_t own = block * kBoardBlock;
    for (std::size_t a = own; a < own + kBoardBlock && a < b->marks.size(); ++a)
        b->marks[a] = false;
}

void BoardKnowledge::uploaded()
{
    for (Board& b : boards_) {
        std::fill(b.blocks.begin(), b.blocks.end(), BlockState::Equal);
        std::fill(b.marks.begin(), b.marks.end(), false);
    }
}

bool BoardKnowledge::marked(std::uint32_t address) const
{
    return std::any_of(boards_.begin(), boards_.end(),
                       [address](const Board& b) { return address < b.marks.size() && b.marks[address]; });
}

bool BoardKnowledge::markedOn(std::uint8_t id, std::uint32_t address) const
{
    const Board* b = board(id);
    return b && address < b->marks.size() && b->marks[address];
}

std::string blockRanges(const BoardKnowledge& knowledge, const std::vector<std::size_t>& blocks,
                        std::size_t most)
{
    auto hex = [](std::size_t v) { return "0x" + common::hexTextPadded(static_cast<std::uint32_t>(v), 4); };
    std::string text;
    std::size_t ranges = 0;
    for (std::size_t i = 0; i < blocks.size();) {
        std::size_t j = i;
        while (j + 1 < blocks.size() && blocks[j + 1] == blocks[j] + 1)
            ++j;
        if (ranges == most) {
            text += ", ...";
            break;
        }
        const std::size_t first = blocks[i] * kBoardBlock;
        const std::size_t last = std::min((blocks[j] + 1) * kBoardBlock, knowledge.romSize()) - 1;
        text += (ranges ? ", " : "") + hex(first) + "-" + hex(last);
        ++ranges;
        i = j + 1;
    }
    return text;
}

std::vector<std::string> verifyLines(const BoardKnowledge& knowledge, std::uint8_t id,
                                     std::size_t differingBytes)
{
    const std::string board = "Emulator ID " + std::to_string(id);
    const std::vector<std::size_t> differing = knowledge.blocks(id, BlockState::Differs);
    if (differing.empty())
        return {board + " holds the ROM buffer"};
    return {board + " differs in " + std::to_string(differing.size()) +
                (differing.size() == 1 ? " block: " : " blocks: ") + blockRanges(knowledge, differing),
            board + ": " + std::to_string(differingBytes) +
                (differingBytes == 1 ? " byte differs" : " bytes differ") + " from the ROM buffer"};
}

} // namespace vantrell
