#include "vantrell/verify/BoardCheck.h"

#include "vantrell/link/EmulatorLink.h"

namespace vantrell {

BoardCheck::BoardCheck(EmulatorLink& link, RomDocument& document, BoardKnowledge& knowledge)
    : link_(link), document_(document), knowledge_(knowledge)
{
    document_.addListener(this);
}

BoardCheck::~BoardCheck()
{
    document_.removeListener(this);
}

std::vector<std::uint8_t> BoardCheck::foundIds() const
{
    std::vector<std::uint8_t> ids;
    const auto found = link_.foundIds();
    for (int slot = 0; slot < link_.foundCount() && slot < 2; ++slot)
        ids.push_back(found[static_cast<std::size_t>(slot)]);
    return ids;
}

std::string BoardCheck::refusal(const std::string& what) const
{
    if (!link_.isOnline())
        return "Emulator disabled - " + what + " needs the emulator online";
    if (link_.foundCount() < 1)
        return "No emulator found by the last scan - " + what + " refused";
    if (document_.size() == 0)
        return "No usable engine config loaded - " + what + " refused";
    if (document_.size() > link_.capacity())
        return what + " refused - the ROM size of " + std::to_string(document_.size()) +
               " bytes is larger than the emulator memory of " + std::to_string(link_.capacity()) + " bytes";
    return {};
}

void BoardCheck::follow()
{
    if (knowledge_.ids() != foundIds() || knowledge_.romSize() != document_.size()) {
        knowledge_.reset(document_.size(), foundIds());
        marks(0, static_cast<std::uint32_t>(document_.size()));
    }
}

BoardCheck::ReadResult BoardCheck::read(bool all, const Progress& progress)
{
    ReadResult result;
    if (!refusal("Verify").empty())
        return result;
    follow();
    const std::vector<std::uint8_t> ids = foundIds();
    std::vector<std::vector<std::size_t>> wanted;
    int total = 0;
    for (std::uint8_t id : ids) {
        std::vector<std::size_t> blocks;
        for (std::size_t b = 0; b < knowledge_.blockCount(); ++b)
            if (all || knowledge_.state(id, b) == BlockState::Unknown)
                blocks.push_back(b);
        total += static_cast<int>(blocks.size());
        wanted.push_back(std::move(blocks));
    }
    int done = 0;
    result.complete = true;
    for (std::size_t i = 0; i < ids.size() && result.complete; ++i) {
        BoardRead board;
        board.id = ids[i];
        const std::vector<std::size_t>& blocks = wanted[i];
        // Neighbouring blocks go as one range read; the end-aligned last block of an image that ends
        // inside a block is read on its own.
        for (std::size_t k = 0; k < blocks.size();) {
            std::size_t run = 1;
            while (k + run < blocks.size() && blocks[k + run] == blocks[k] + run &&
                   knowledge_.blockStart(blocks[k + run]) == blocks[k + run] * kBoardBlock)
                ++run;
            if (knowledge_.blockStart(blocks[k]) != blocks[k] * kBoardBlock)
                run = 1;
            const int before = done;
            const emulink::RangeRead got = link_.readRange(board.id, knowledge_.blockStart(blocks[k]),
                                                           run * kBoardBlock, [&](int block, int) {
                                                               if (progress)
                                                                   progress(before + block, total);
                                                           });
            for (int r = 0; r < got.blocksRead; ++r) {
                const auto bytes = std::span<const std::uint8_t>(got.bytes).subspan(
                    std::size_t(r) * kBoardBlock, kBoardBlock);
                board.differingBytes +=
                    knowledge_.blockRead(board.id, blocks[k + std::size_t(r)], bytes, document_.buffer());
                ++board.blocksRead;
            }
            done += got.blocksRead;
            if (!got.complete) {
                result.complete = false;
                break;
            }
            k += run;
        }
        board.complete = board.blocksRead == static_cast<int>(blocks.size());
        result.boards.push_back(board);
    }
    if (progress)
        progress(total, total);
    marks(0, static_cast<std::uint32_t>(document_.size()));
    if (!link_.isOnline())
        knowledge_.forget();
    return result;
}

std::vector<BoardCheck::BoardSend> BoardCheck::sendDiffering(const std::vector<std::uint8_t>& ids,
                                                             const Progress& progress)
{
    std::vector<BoardSend> sends;
    if (!refusal("Upload of changes").empty())
        return sends;
    follow();
    int total = 0;
    for (std::uint8_t id : ids)
        total += static_cast<int>(knowledge_.blocks(id, BlockState::Differs).size());
    int done = 0;
    for (std::uint8_t id : ids) {
        BoardSend send;
        send.id = id;
        const std::vector<std::size_t> blocks = knowledge_.blocks(id, BlockState::Differs);
        for (std::size_t block : blocks) {
            if (progress)
                progress(done, total);
            const std::uint32_t start = knowledge_.blockStart(block);
            const emulink::BlockWrite write =
                link_.writeBlock(id, start, document_.range(start, kBoardBlock));
            if (!write.written)
                break;
            send.sent.push_back(block);
            // Read back: the board's answer to the write is its sum, not its bytes.
            const emulink::RangeRead back = link_.readRange(id, start, kBoardBlock);
            if (!back.complete)
                break;
            if (knowledge_.blockRead(id, block, back.bytes, document_.buffer()) == 0)
                send.confirmed.push_back(block);
            ++done;
        }
        send.complete = send.confirmed.size() == blocks.size();
        sends.push_back(std::move(send));
        if (!link_.isOnline())
            break;
    }
    if (progress)
        progress(total, total);
    marks(0, static_cast<std::uint32_t>(document_.size()));
    if (!link_.isOnline())
        knowledge_.forget();
    return sends;
}

void BoardCheck::uploaded()
{
    follow();
    knowledge_.uploaded();
    marks(0, static_cast<std::uint32_t>(document_.size()));
}

void BoardCheck::uploadEnded(const emulink::UploadResult& result)
{
    if (result.complete) {
        uploaded();
        return;
    }
    if (result.readBack.empty())
        return;
    follow();
    for (const emulink::ReadBack& back : result.readBack)
        if (knowledge_.knows(back.id) && back.romAddress % kBoardBlock == 0 &&
            back.bytes.size() == kBoardBlock)
            knowledge_.blockRead(back.id, back.romAddress / kBoardBlock, back.bytes, document_.buffer());
    marks(0, static_cast<std::uint32_t>(document_.size()));
    if (!link_.isOnline())
        knowledge_.forget();
}

void BoardCheck::linkOffline()
{
    knowledge_.forget();
}

void BoardCheck::stepApplied(const EditStep& step)
{
    // The write-through has run by now: the boards took the step when the link is still online and not
    // holding writes back for later (it holds them while another exchange waits for its reply).
    const bool told = step.reachesBoards && link_.isOnline() && !link_.isBusy();
    for (const ByteChange& c : step.changes) {
        if (told) {
            knowledge_.written(c.address, c.length());
            marks(c.address, c.length());
        } else if (c.before != c.after) {
            knowledge_.changedUntold(c.address, c.length());
        }
    }
}

void BoardCheck::documentLoaded(DocumentLoad)
{
    knowledge_.reset(document_.size(), foundIds());
    marks(0, static_cast<std::uint32_t>(document_.size()));
}

void BoardCheck::marks(std::uint32_t address, std::uint32_t length)
{
    if (marksChanged_)
        marksChanged_(address, length);
}

} // namespace vantrell
