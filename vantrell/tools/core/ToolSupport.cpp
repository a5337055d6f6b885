#include "vantrell/tools/core/ToolSupport.h"

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

std::string byteHex(std::uint8_t value)
{
    return common::hexTextPadded(value, 2);
}

std::string outsideRomText(const std::string& key, const std::string& addressText)
{
    return "\"" + key + "\" address " + addressText + " does not lie inside the ROM";
}

} // namespace vantrell
