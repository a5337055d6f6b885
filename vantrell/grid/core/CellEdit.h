// The arithmetic of the grid's edit keys: +, -, F and the load axis step of [ and ].
#pragma once

#include "vantrell/rom/MapAccess.h"

#include <cstdint>

namespace vantrell {

enum class EditKey { Plus, Minus, Flag, Other };

// The new byte for cell byte b after the key: + and - step by 1 (16 with Shift), F toggles the
// feedback flag; results above 255 become 255 and results below 0 wrap into the flagged range
// (+192 on a fuel map, +128 on an ignition map).
std::uint8_t editedCell(MapKind kind, std::uint8_t b, EditKey key, bool shift);

// The load axis byte after a step of -1 or +1, modulo 256.
inline std::uint8_t steppedAxisByte(std::uint8_t b, int step)
{
    return static_cast<std::uint8_t>((b + step) & 0xFF);
}

} // namespace vantrell
