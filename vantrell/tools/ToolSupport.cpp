#include "vantrell/tools/ToolSupport.h"

#include "common/Numbers.h"

#include <algorithm>

namespace vantrell {

std::optional<std::uint32_t> tableAddress(const EditorState& state, const std::string& addressText,
                                          std::uint32_t length)
{
    if (isAbsent(addressText))
        return std::nullopt;
    return addressInRom(addressText, length, static_cast<std::uint32_t>(state.rom.size()));
}

void sendRange(WriteThrough& link, const RomBuffer& rom, std::uint32_t address, std::uint32_t length)
{
    if (!link.isOnline() || !rom.contains(address, length))
        return;
    for (std::uint32_t done = 0; done < length;) {
        const std::uint32_t piece = std::min(kMaxWritePiece, length - done);
        link.writeThrough(address + done, rom.range(address + done, piece));
        done += piece;
    }
}

std::string byteHex(std::uint8_t value)
{
    return common::hexTextPadded(value, 2);
}

std::string outsideRomText(const std::string& key, const std::string& addressText)
{
    return "\"" + key + "\" address " + addressText + " does not lie inside the ROM";
}

} // namespace vantrell
