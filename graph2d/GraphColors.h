// Colour values of the graph: 32 bits, red in the low byte, then green, then blue. A value with the
// high bit set names a system colour (its low byte is the system colour index), resolved only when
// drawing, so the graph follows the platform's palette.
#pragma once

#include <cstdint>

namespace graph2d {

using ColorValue = std::uint32_t;

constexpr ColorValue colorBlack = 0x000000;
constexpr ColorValue colorWhite = 0xFFFFFF;
constexpr ColorValue colorRed = 0x0000FF;
constexpr ColorValue colorGray = 0x808080;

constexpr ColorValue systemColorFlag = 0x80000000u;
constexpr ColorValue colorHighlight = systemColorFlag | 13u;       // selection highlight
constexpr ColorValue colorButtonFace = systemColorFlag | 15u;      // face of buttons and panels
constexpr ColorValue colorButtonShadow = systemColorFlag | 16u;    // dark edge of a 3D frame
constexpr ColorValue colorButtonHighlight = systemColorFlag | 20u; // light edge of a 3D frame

constexpr bool isSystemColor(ColorValue value)
{
    return (value & systemColorFlag) != 0;
}
constexpr int redOf(ColorValue value)
{
    return static_cast<int>(value & 0xFFu);
}
constexpr int greenOf(ColorValue value)
{
    return static_cast<int>((value >> 8) & 0xFFu);
}
constexpr int blueOf(ColorValue value)
{
    return static_cast<int>((value >> 16) & 0xFFu);
}
constexpr ColorValue colorFromRgb(int red, int green, int blue)
{
    return static_cast<ColorValue>(red & 0xFF) | (static_cast<ColorValue>(green & 0xFF) << 8) |
           (static_cast<ColorValue>(blue & 0xFF) << 16);
}

} // namespace graph2d
