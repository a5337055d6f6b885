// The ROM document: owns the ROM buffer and is the only way to change it. An edit is applied as a
// step (EditStep) and every listener is told of it, in the order they were added; what follows a
// change (sending it to the boards, redrawing, keeping it for undo) is the listeners' business, never
// the caller's. Loading an image or a definition replaces the buffer as a whole: that is a load, not
// an edit step, and the listeners hear of it as such.
#pragma once

#include "vantrell/document/EditStep.h"
#include "vantrell/document/RomBuffer.h"

#include <cstdint>
#include <span>
#include <utility>
#include <string>
#include <vector>

namespace vantrell {

enum class DocumentLoad {
    Definition, // a definition was loaded: the buffer is its ROM size, all zero
    Cleared,    // every byte set to zero, the size kept
    Image,      // an image file was read into the buffer
};

class DocumentListener
{
  public:
    virtual ~DocumentListener() = default;
    // The step has been applied: the buffer holds its bytes after.
    virtual void stepApplied(const EditStep& step) = 0;
    // The buffer was replaced as a whole.
    virtual void documentLoaded(DocumentLoad load) = 0;
};

class RomDocument
{
  public:
    RomDocument() = default;
    RomDocument(const RomDocument&) = delete;
    RomDocument& operator=(const RomDocument&) = delete;
    // Moving moves the bytes only: listeners stay with the object they were added to. A document that
    // receives another's bytes tells its listeners of it as an image load.
    RomDocument(RomDocument&& other) noexcept : rom_(std::move(other.rom_)) {}
    RomDocument& operator=(RomDocument&& other);

    const RomBuffer& buffer() const { return rom_; }
    std::size_t size() const { return rom_.size(); }
    bool contains(std::uint64_t address, std::uint64_t length = 1) const
    {
        return rom_.contains(address, length);
    }
    std::uint8_t at(std::uint64_t address) const { return rom_.at(address); }
    std::span<const std::uint8_t> range(std::uint64_t address, std::uint64_t length) const
    {
        return rom_.range(address, length);
    }
    const std::vector<std::uint8_t>& bytes() const { return rom_.bytes(); }

    // The one mutator. Writes each range's bytes after, front to back, then tells the listeners. A
    // step that does not fit this buffer (a range outside it, before and after of other lengths, or
    // bytes before that the buffer does not hold: a step computed against other contents) is refused
    // as a whole: false, nothing changed, nobody told.
    [[nodiscard]] bool apply(const EditStep& step);

    // Loads (not edit steps).
    void reset(std::size_t size);                    // a definition's ROM size, all zero
    void clear();                                    // all zero, the size kept
    void loadImage(std::vector<std::uint8_t> bytes); // the bytes of an image file; the size follows them

    // Listeners are not owned; one removes itself before it is destroyed.
    void addListener(DocumentListener* listener);
    void removeListener(DocumentListener* listener);

  private:
    void loaded(DocumentLoad load);
    template <typename Call> void tell(Call call);

    RomBuffer rom_;
    std::vector<DocumentListener*> listeners_;
};

// The status line for a step that apply() refused: what was not done, and why.
std::string refusedStepLine(const EditStep& step);

} // namespace vantrell
