// The emulator options chosen on the emulator setup page for this run of the editor (never stored),
// and the rules that tie them together: a bus width needs a board count first and 16 bits need two
// boards; going online needs all of them; loading a ROM image with boards found needs a layout and a
// width.
#pragma once

#include <cstdint>
#include <string>

namespace vantrell {

struct EmulatorSettings
{
    std::int16_t emulator_bits = 0;     // 0 (not set), 8, 16
    std::int16_t emulator_count = 0;    // boards found by the last successful scan: 0, 1, 2
    std::int16_t emulator_rom = 0;      // 0 none, 1 straight, 2 odd/even, 3 odd/odd, 4 even/even
    std::int16_t emulator_resistor = 0; // 0 none, 1 pull low, 2 pull high

    // Start-up: everything 0.
    void reset() { *this = EmulatorSettings{}; }

    // The "8 Bit" (8) or "16 Bit" (16) option was clicked; emulator_bits follows the board count.
    // Returns the width now set (0, 8 or 16): the options show "8 Bit" for 8, "16 Bit" for 16 and
    // neither for 0.
    int chooseBits(int requested);

    // All three of width, count and layout are set, so the link may go online.
    bool readyForOnline() const { return emulator_bits != 0 && emulator_count != 0 && emulator_rom != 0; }

    // A ROM image may be loaded: no board found (editing without an emulator), or layout and width set.
    bool romLoadAllowed() const { return emulator_count < 1 || (emulator_rom != 0 && emulator_bits != 0); }
};

inline constexpr const char* kConfigureFirst =
    "You need to go to the Pellory screen and configure things first...";
inline constexpr const char* kSettingsIncomplete =
    "Sorry - you need to set the emulator options correctly - go back and try again :)";

// The status line that announces the layout after a ROM image load, by emulator_rom (0..4); values
// outside that range announce nothing (empty text).
std::string romLayoutAnnouncement(int emulatorRom);

// Layouts 2..4 step the progress bar through the whole 32768-byte range; 1 only resets it; 0 leaves it.
enum class AnnouncementProgress { Untouched, Reset, Sweep };
AnnouncementProgress romLayoutProgress(int emulatorRom);

} // namespace vantrell
