#include "vantrell/setup/EmulatorSettings.h"

namespace vantrell {

int EmulatorSettings::chooseBits(int requested)
{
    emulator_bits = static_cast<std::int16_t>(requested == 16 ? 16 : 8);
    if (emulator_bits == 16 && emulator_count == 1)
        emulator_bits = 8;
    if (emulator_count == 0)
        emulator_bits = 0;
    return emulator_bits;
}

std::string romLayoutAnnouncement(int emulatorRom)
{
    switch (emulatorRom) {
    case 0:
        return "No emulators connected - so ofline editing of rom only :)";
    case 1:
        return "compiling rom buffers - 'straight copy' roms - identical rom image in both emulators";
    case 2:
        return "compiling rom buffers - odd/even format with no wasted bytes";
    case 3:
        return "compiling rom buffers - databytes are on odd byte on both roms with a wasted byte on even - "
               "roms "
               "are split in odd/even format";
    case 4:
        return "compiling rom buffers - databytes are on even byte on both roms with a wasted byte on odd - "
               "roms "
               "are split in odd/even format";
    default:
        return {};
    }
}

AnnouncementProgress romLayoutProgress(int emulatorRom)
{
    if (emulatorRom == 1)
        return AnnouncementProgress::Reset;
    if (emulatorRom >= 2 && emulatorRom <= 4)
        return AnnouncementProgress::Sweep;
    return AnnouncementProgress::Untouched;
}

} // namespace vantrell
