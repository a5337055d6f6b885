// An edit step: one change to the ROM buffer as the user made it (a key press on the grid, a tool's
// commit), with the bytes before and after each changed range. The ranges stand in the order in which
// they were written and must reach the boards; a later range may overwrite part of an earlier one, so
// a step is applied front to back and undone back to front.
#pragma once

#include "vantrell/document/RomBuffer.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace vantrell {

// What made a step: the grid shows cells changed by its keys in the edit colours until the next full
// fill, and the window refreshes its pages after the others.
enum class EditSource {
    GridKeys,
    LoadAxis,
    MapFile,
    Shunt,
    InjectorResize,
    InjectorTrim,
    AirflowMeter,
    Limit,
    Revert, // bytes put back from a reference image
};

struct ByteChange
{
    std::uint32_t address = 0;
    std::vector<std::uint8_t> before; // what the buffer held there just before this range was written
    std::vector<std::uint8_t> after;  // what it holds afterwards; before.size() == after.size()

    std::uint32_t length() const { return static_cast<std::uint32_t>(after.size()); }
    bool operator==(const ByteChange&) const = default;
};

struct EditStep
{
    std::string label; // "Shift+plus on 12 cells of Main Fuel Map", "injector resize"
    EditSource source = EditSource::GridKeys;
    // False for a change the boards are not told of (the shunt, which asks for an upload instead).
    bool reachesBoards = true;
    std::vector<ByteChange> changes;

    // True when some byte differs before and after: a step that rewrites bytes with their own values
    // still reaches the boards, but changes nothing.
    bool changesBytes() const;
    // The step that puts back the bytes before: the ranges back to front, before and after swapped.
    EditStep inverse() const;
};

// Computes a step against the buffer without touching it: reads see the bytes the step has written so
// far, so a tool can read what an earlier part of the same step wrote. Writes outside the buffer are
// refused (false, nothing recorded).
class EditStepBuilder
{
  public:
    // The buffer must outlive the builder and stay unchanged while it is in use.
    explicit EditStepBuilder(const RomBuffer& rom) : rom_(rom) {}

    std::uint8_t at(std::uint32_t address) const;
    bool write(std::uint32_t address, std::span<const std::uint8_t> bytes);
    bool write(std::uint32_t address, std::uint8_t byte);

    bool empty() const { return changes_.empty(); }
    EditStep finish(std::string label, EditSource source, bool reachesBoards = true);

  private:
    const RomBuffer& rom_;
    std::map<std::uint32_t, std::uint8_t> written_;
    std::vector<ByteChange> changes_;
};

} // namespace vantrell
