#include "vantrell/document/EditStep.h"

#include <algorithm>
#include <utility>

namespace vantrell {

bool EditStep::changesBytes() const
{
    return std::any_of(changes.begin(), changes.end(),
                       [](const ByteChange& c) { return c.before != c.after; });
}

EditStep EditStep::inverse() const
{
    EditStep back;
    back.label = label;
    back.source = source;
    back.reachesBoards = reachesBoards;
    back.changes.reserve(changes.size());
    for (auto it = changes.rbegin(); it != changes.rend(); ++it)
        back.changes.push_back(ByteChange{it->address, it->after, it->before});
    return back;
}

std::uint8_t EditStepBuilder::at(std::uint32_t address) const
{
    const auto it = written_.find(address);
    return it != written_.end() ? it->second : rom_.at(address);
}

bool EditStepBuilder::write(std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    if (!rom_.contains(address, bytes.size()))
        return false;
    ByteChange change;
    change.address = address;
    change.after.assign(bytes.begin(), bytes.end());
    change.before.reserve(bytes.size());
    for (std::uint32_t i = 0; i < bytes.size(); ++i)
        change.before.push_back(at(address + i));
    for (std::uint32_t i = 0; i < bytes.size(); ++i)
        written_[address + i] = bytes[i];
    changes_.push_back(std::move(change));
    return true;
}

bool EditStepBuilder::write(std::uint32_t address, std::uint8_t byte)
{
    return write(address, std::span<const std::uint8_t>(&byte, 1));
}

EditStep EditStepBuilder::finish(std::string label, EditSource source, bool reachesBoards)
{
    EditStep step;
    step.label = std::move(label);
    step.source = source;
    step.reachesBoards = reachesBoards;
    step.changes = std::move(changes_);
    changes_.clear();
    written_.clear();
    return step;
}

} // namespace vantrell
