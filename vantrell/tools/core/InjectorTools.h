// The injector resize and the injector trim of the "Injectors" page: the arithmetic on K, the null
// time, the pulse-limit tables and the load axes, with their status lines and writes to the boards.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include <array>
#include <cstdint>
#include <string>

namespace vantrell {

namespace injector_messages {
inline constexpr const char* kClamp =
    "WOAH!!! youve overflowed the K value - clamping it to 65535 - you WILL have "
    "tuning issues with these injectors....";
inline constexpr const char* kUpdatedK = "Updated k value";
inline constexpr const char* kTrimDone = "Updated Injector Trim and Injector Offset";
} // namespace injector_messages

// "Factory Injector Size is " + the size with its sign blank + "cc per injector".
std::string factoryCaption(const EditorState& state);

// K as four hexadecimal digits (byte at "kval", then the byte after it) and the null time as two;
// "-" for a value whose address does not lie inside the ROM.
struct InjectorEntryTexts
{
    std::string k;
    std::string nullTime;
};
InjectorEntryTexts injectorEntryTexts(const EditorState& state);

// K as stored at "kval": high byte first.
std::array<std::uint8_t, 2> kBytes(std::uint32_t k);

// Shows a K value as written to the entry field (four hexadecimal digits, high byte first).
std::string kEntryText(std::uint32_t k);

// Sets K at "kval" to a value above 65535 clamped: shows the clamp message in a box and the status log.
// Returns the value stored (not written; the caller writes it).
std::uint32_t clampedK(double k, common::StatusSink& status, Dialogs& dialogs);

struct ResizeResult
{
    bool done = false; // false: refused, nothing changed
    std::string kText; // the new K for the entry field
};

// The resize for new injectors of `newSizeText` cc: K, "ttpmin", "ttpmax", "fuelflow" and "ignflow" in
// the ROM buffer as one edit step (to the boards in that order), "injectorsize" in memory, and the
// suggested null time as a status line. A size text that is not a positive number, a factory size that
// is not positive, or an address outside the ROM refuses the whole resize with one status line, and
// the ROM buffer and the definition stay as they were. Bytes that the ratio takes above 255 are
// clamped to 255 with one status line a table.
ResizeResult resizeInjectors(EditorState& state, const std::string& newSizeText, common::StatusSink& status,
                             Dialogs& dialogs);

// The trim: K (hexadecimal, 0..FFFF) and the null time (hexadecimal, 0..FF) into the ROM buffer as one
// edit step. Texts that are not hexadecimal or out of range, or addresses outside the
// ROM, refuse the trim with one status line and change nothing. Returns whether it was done.
bool trimInjectors(EditorState& state, const std::string& kText, const std::string& nullText,
                   common::StatusSink& status);

} // namespace vantrell
