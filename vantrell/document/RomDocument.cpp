#include "vantrell/document/RomDocument.h"

#include <algorithm>
#include <utility>

namespace vantrell {

bool RomDocument::apply(const EditStep& step)
{
    std::vector<std::uint8_t>& bytes = rom_.bytes_;
    // Applied in place and rolled back on a mismatch, so a good step costs no copy of the buffer.
    std::size_t applied = 0;
    bool fits = true;
    for (; applied < step.changes.size(); ++applied) {
        const ByteChange& c = step.changes[applied];
        if (c.before.size() != c.after.size() || !rom_.contains(c.address, c.after.size()) ||
            !std::equal(c.before.begin(), c.before.end(), bytes.begin() + c.address)) {
            fits = false;
            break;
        }
        std::copy(c.after.begin(), c.after.end(), bytes.begin() + c.address);
    }
    if (!fits) {
        while (applied > 0) {
            const ByteChange& c = step.changes[--applied];
            std::copy(c.before.begin(), c.before.end(), bytes.begin() + c.address);
        }
        return false;
    }
    tell([&step](DocumentListener& l) { l.stepApplied(step); });
    return true;
}

RomDocument& RomDocument::operator=(RomDocument&& other)
{
    if (this != &other) {
        rom_ = std::move(other.rom_);
        loaded(DocumentLoad::Image);
    }
    return *this;
}

void RomDocument::reset(std::size_t size)
{
    rom_.bytes_.assign(size, 0);
    loaded(DocumentLoad::Definition);
}

void RomDocument::clear()
{
    std::fill(rom_.bytes_.begin(), rom_.bytes_.end(), 0);
    loaded(DocumentLoad::Cleared);
}

void RomDocument::loadImage(std::vector<std::uint8_t> bytes)
{
    rom_.bytes_ = std::move(bytes);
    loaded(DocumentLoad::Image);
}

void RomDocument::addListener(DocumentListener* listener)
{
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void RomDocument::removeListener(DocumentListener* listener)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void RomDocument::loaded(DocumentLoad load)
{
    tell([load](DocumentListener& l) { l.documentLoaded(load); });
}

template <typename Call> void RomDocument::tell(Call call)
{
    // Over a copy of the list, skipping any that a listener removed while it was told.
    const std::vector<DocumentListener*> listeners = listeners_;
    for (DocumentListener* l : listeners)
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end())
            call(*l);
}

std::string refusedStepLine(const EditStep& step)
{
    return "Not done: " + step.label +
           " - it does not fit the ROM buffer as it is now (the buffer changed under it), nothing was "
           "changed";
}

} // namespace vantrell
