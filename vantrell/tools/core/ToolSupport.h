// Small helpers the tuning tools share: finding a table of the engine definition inside the ROM
// buffer, and the texts of their refusals.
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vantrell {

// The address of a table of `length` bytes named by an address text of the definition, when the
// whole table lies inside the ROM buffer. Nothing for absent ("&hffff"), unreadable or outside texts.
std::optional<std::uint32_t> tableAddress(const EditorState& state, const std::string& addressText,
                                          std::uint32_t length);

// Two upper-case hexadecimal digits of a byte ("0A", "FF").
std::string byteHex(std::uint8_t value);

// The refusal line of an address that does not lie inside the ROM buffer.
std::string outsideRomText(const std::string& key, const std::string& addressText);

} // namespace vantrell
