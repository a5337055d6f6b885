#include "vantrell/history/EditHistory.h"

#include <algorithm>
#include <utility>

namespace vantrell {

EditHistory::EditHistory(RomDocument& document, std::size_t limit)
    : document_(document), limit_(std::max<std::size_t>(limit, 1))
{
    document_.addListener(this);
}

EditHistory::~EditHistory()
{
    document_.removeListener(this);
}

std::string EditHistory::undoLabel() const
{
    return undo_.empty() ? std::string() : undo_.back().label;
}

std::string EditHistory::redoLabel() const
{
    return redo_.empty() ? std::string() : redo_.back().label;
}

EditHistory::Entry EditHistory::keep(const EditStep& step)
{
    Entry e;
    e.label = step.label;
    e.source = step.source;
    e.reachesBoards = step.reachesBoards;
    std::size_t size = 0;
    for (const ByteChange& c : step.changes)
        if (c.before != c.after)
            size += 2 * c.after.size();
    e.bytes.reserve(size);
    for (const ByteChange& c : step.changes) {
        if (c.before == c.after)
            continue;
        e.ranges.push_back(Range{c.address, c.length(), static_cast<std::uint32_t>(e.bytes.size())});
        e.bytes.insert(e.bytes.end(), c.before.begin(), c.before.end());
        e.bytes.insert(e.bytes.end(), c.after.begin(), c.after.end());
    }
    e.ranges.shrink_to_fit();
    for (std::size_t i = 0; i < e.ranges.size() && !e.overlapping; ++i)
        for (std::size_t j = i + 1; j < e.ranges.size() && !e.overlapping; ++j)
            e.overlapping = e.ranges[i].address < e.ranges[j].address + e.ranges[j].length &&
                            e.ranges[j].address < e.ranges[i].address + e.ranges[i].length;
    return e;
}

EditStep EditHistory::stepOf(const Entry& e, bool forward)
{
    EditStep step;
    step.label = e.label;
    step.source = e.source;
    step.reachesBoards = e.reachesBoards;
    step.changes.reserve(e.ranges.size());
    for (const Range& r : e.ranges) {
        const auto before = e.bytes.begin() + r.offset;
        const auto after = before + r.length;
        ByteChange c;
        c.address = r.address;
        c.before.assign(before, after);
        c.after.assign(after, after + r.length);
        if (!forward)
            std::swap(c.before, c.after);
        step.changes.push_back(std::move(c));
    }
    // Ranges that overlap must be undone back to front; others reach the boards in the step's order.
    if (!forward && e.overlapping)
        std::reverse(step.changes.begin(), step.changes.end());
    return step;
}

bool EditHistory::undo()
{
    return replay(undo_, redo_, false);
}

bool EditHistory::redo()
{
    return replay(redo_, undo_, true);
}

bool EditHistory::replay(std::deque<Entry>& from, std::deque<Entry>& to, bool forward)
{
    if (from.empty())
        return false;
    replaying_ = true;
    const bool applied = document_.apply(stepOf(from.back(), forward));
    replaying_ = false;
    if (!applied) {
        clear();
        return false;
    }
    to.push_back(std::move(from.back()));
    from.pop_back();
    changed();
    return true;
}

void EditHistory::stepApplied(const EditStep& step)
{
    if (replaying_ || !step.changesBytes())
        return;
    redo_.clear();
    undo_.push_back(keep(step));
    while (undo_.size() > limit_)
        undo_.pop_front();
    changed();
}

void EditHistory::documentLoaded(DocumentLoad)
{
    clear();
}

void EditHistory::clear()
{
    const bool had = !undo_.empty() || !redo_.empty();
    undo_.clear();
    redo_.clear();
    if (had)
        changed();
}

void EditHistory::changed()
{
    if (changed_)
        changed_();
}

std::size_t EditHistory::memoryBytes() const
{
    std::size_t total = 0;
    for (const auto* stack : {&undo_, &redo_})
        for (const Entry& e : *stack)
            total +=
                sizeof(Entry) + e.label.capacity() + e.ranges.capacity() * sizeof(Range) + e.bytes.capacity();
    return total;
}

} // namespace vantrell
