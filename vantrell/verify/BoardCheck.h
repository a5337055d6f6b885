// Looking at what the boards hold, over the editor's link: reading blocks back from every found board
// (verify, and the sync check when going online), and sending only the blocks that differ (delta
// upload). It keeps the board knowledge up to date as the document changes: a listener that must come
// after the write-through, so that it sees whether the boards took a step.
#pragma once

#include "vantrell/document/RomDocument.h"
#include "vantrell/verify/BoardKnowledge.h"

#include "emulink/LinkResults.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrell {

class EmulatorLink;

class BoardCheck : public DocumentListener
{
  public:
    using Progress = std::function<void(int done, int total)>;

    struct BoardRead
    {
        std::uint8_t id = 0;
        int blocksRead = 0;
        std::size_t differingBytes = 0; // in the blocks read
        bool complete = false;          // every block asked for was read
    };
    struct ReadResult
    {
        std::vector<BoardRead> boards;
        bool complete = false; // every found board read in full; otherwise the link went offline
    };
    struct BoardSend
    {
        std::uint8_t id = 0;
        std::vector<std::size_t> sent;      // blocks written (verified block write)
        std::vector<std::size_t> confirmed; // of them, read back equal
        bool complete = false;
    };

    // Uses the link, the document and the knowledge for its whole lifetime; owns none of them.
    BoardCheck(EmulatorLink& link, RomDocument& document, BoardKnowledge& knowledge);
    ~BoardCheck() override;
    BoardCheck(const BoardCheck&) = delete;
    BoardCheck& operator=(const BoardCheck&) = delete;

    // Why `what` ("Verify", "Upload of changes") cannot run now, as a status line: offline, no board
    // found, a ROM larger than the boards. "" when it can.
    std::string refusal(const std::string& what) const;

    // Reads every block (all = true) or only the unknown ones of every found board, board by board.
    ReadResult read(bool all, const Progress& progress = {});
    // Sends the blocks known to differ to each board in `ids`, each read back to confirm.
    std::vector<BoardSend> sendDiffering(const std::vector<std::uint8_t>& ids, const Progress& progress = {});
    // Every found board holds the whole buffer now (a completed upload).
    void uploaded();
    // An upload ended: a complete one is uploaded(); otherwise the blocks it read back say what those
    // boards hold there, and the bytes that differ are marked.
    void uploadEnded(const emulink::UploadResult& result);
    // The link went offline: every block unknown.
    void linkOffline();

    const BoardKnowledge& knowledge() const { return knowledge_; }
    std::vector<std::uint8_t> foundIds() const;

    // Told after the knowledge's marks may have changed at [address, address + length).
    void setMarksChanged(std::function<void(std::uint32_t, std::uint32_t)> changed)
    {
        marksChanged_ = std::move(changed);
    }

    void stepApplied(const EditStep& step) override;
    void documentLoaded(DocumentLoad load) override;

  private:
    // The knowledge matches the found boards and the ROM size (a fresh start when not).
    void follow();
    void marks(std::uint32_t address, std::uint32_t length);

    EmulatorLink& link_;
    RomDocument& document_;
    BoardKnowledge& knowledge_;
    std::function<void(std::uint32_t, std::uint32_t)> marksChanged_;
};

} // namespace vantrell
