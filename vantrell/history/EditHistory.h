// The undo history of the ROM document: a listener that keeps every edit step that changed a byte, and
// undoes or redoes one by applying it back through the document, so the boards, the views and the
// pages follow an undo exactly as they follow the edit.
//
// A step is kept as its changed ranges only (each range whole, with its bytes before and after), in
// one flat block, so a cell edit costs a few bytes. At most kLimit steps are kept: the oldest go
// first. A step that changes no byte (a rewrite of the selection with its own values) is no step: it
// is not kept and leaves the redo steps alone. Any other new step drops the redo steps. A load of the
// document (an image, a definition) empties the history.
#pragma once

#include "vantrell/document/RomDocument.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vantrell {

class EditHistory : public DocumentListener
{
  public:
    static constexpr std::size_t kLimit = 1000;

    // Listens to the document for its whole lifetime; does not own it.
    explicit EditHistory(RomDocument& document, std::size_t limit = kLimit);
    ~EditHistory() override;
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // The label of the step an undo or a redo would act on; "" when there is none.
    std::string undoLabel() const;
    std::string redoLabel() const;
    std::size_t undoCount() const { return undo_.size(); }
    std::size_t redoCount() const { return redo_.size(); }

    // Puts back the bytes before the last step (its ranges written again in the step's order, or back
    // to front where they overlap) / the bytes after the last undone step. False when there is nothing
    // to do, or when the document refuses the step because its bytes are not what the history
    // expects (nothing changes then, and the history is emptied: it no longer matches the buffer).
    bool undo();
    bool redo();

    // Told after every change of what can be undone or redone (to update captions).
    void setChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }

    // Heap bytes the kept steps occupy (for the benchmark of bytes per cell edit).
    std::size_t memoryBytes() const;

    void stepApplied(const EditStep& step) override;
    void documentLoaded(DocumentLoad load) override;

  private:
    struct Range
    {
        std::uint32_t address = 0;
        std::uint32_t length = 0;
        std::uint32_t offset = 0; // of its bytes before in `bytes`; the bytes after follow them
    };
    struct Entry
    {
        std::string label;
        EditSource source = EditSource::GridKeys;
        bool reachesBoards = true;
        bool overlapping = false; // some ranges overlap: undo goes back to front
        std::vector<Range> ranges;
        std::vector<std::uint8_t> bytes;
    };
    static Entry keep(const EditStep& step);
    static EditStep stepOf(const Entry& entry, bool forward);
    bool replay(std::deque<Entry>& from, std::deque<Entry>& to, bool forward);
    void clear();
    void changed();

    RomDocument& document_;
    std::size_t limit_;
    std::deque<Entry> undo_;
    std::deque<Entry> redo_;
    bool replaying_ = false;
    std::function<void()> changed_;
};

} // namespace vantrell
