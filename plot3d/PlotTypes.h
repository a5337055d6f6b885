// Value types shared by the surface plot's mathematics and its widget. No Qt here: the drawing rules
// are computed on these plain types and only painted by the widget.
#pragma once

#include <cstdint>

namespace plot3d {

// A colour as a 32-bit value: red in the low byte, then green, then blue. A value with the high bit
// set names a system colour (its low byte is the system colour index) that is resolved when drawn.
using ColorValue = std::uint32_t;

namespace colors {
constexpr ColorValue clBlack = 0x000000;
constexpr ColorValue clRed = 0x0000FF;
constexpr ColorValue clLime = 0x00FF00;
constexpr ColorValue clYellow = 0x00FFFF;
constexpr ColorValue clBlue = 0xFF0000;
constexpr ColorValue clGray = 0x808080;
constexpr ColorValue clSilver = 0xC0C0C0;
constexpr ColorValue clWhite = 0xFFFFFF;

constexpr ColorValue systemColorFlag = 0x80000000;
constexpr ColorValue clBackground = systemColorFlag | 1; // the desktop colour
constexpr ColorValue clWindow = systemColorFlag | 5;
constexpr ColorValue clWindowText = systemColorFlag | 8;
constexpr ColorValue clHighlight = systemColorFlag | 13;
constexpr ColorValue clBtnFace = systemColorFlag | 15;
constexpr ColorValue clBtnShadow = systemColorFlag | 16;
constexpr ColorValue clBtnText = systemColorFlag | 18;
constexpr ColorValue clBtnHighlight = systemColorFlag | 20;

constexpr bool isSystemColor(ColorValue value)
{
    return (value & systemColorFlag) != 0;
}
constexpr int redOf(ColorValue value)
{
    return static_cast<int>(value & 0xFF);
}
constexpr int greenOf(ColorValue value)
{
    return static_cast<int>((value >> 8) & 0xFF);
}
constexpr int blueOf(ColorValue value)
{
    return static_cast<int>((value >> 16) & 0xFF);
}
constexpr ColorValue rgb(int red, int green, int blue)
{
    return static_cast<ColorValue>(red & 0xFF) | (static_cast<ColorValue>(green & 0xFF) << 8) |
           (static_cast<ColorValue>(blue & 0xFF) << 16);
}
} // namespace colors

enum TBoundingBox { bbNone, bbFrame, bbFaces };
enum TColorCodingMode { ccmTwoColors, ccmThreeColors };
enum TColorScheme { csBWG, csSystem };
enum TFrameStyle { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
enum MouseActMode { maNone, maRotate, maZoom, maRotAndZoom, maPan, maRotXOnly, maRotZOnly };

enum class PlotAxis { X, Y, Z };

struct ScreenPoint
{
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Every published value of the plot, with the defaults a new plot starts with. The widget's setters
// check values before they store them here.
struct PlotSettings
{
    TBoundingBox boundBoxStyle = bbFaces;
    int centX = 325;
    int centY = 250;
    ColorValue colorFrame = colors::clBlack;
    ColorValue colorBakGnd = colors::clWhite;
    bool colorCodeAvg = false;
    ColorValue colorCubeFrame = 0x404040;
    ColorValue colorCubeHidLin = 0xB0B0B0;
    ColorValue colorCubeFaceLow = 0xC0C0C0;
    ColorValue colorCubeFaceHigh = 0xFEEEEE;
    ColorValue colorXCoords = colors::clRed;
    ColorValue colorYCoords = colors::clBlue;
    ColorValue colorZCoords = colors::clBlack;
    ColorValue colorMesh = colors::clBlack;
    ColorValue colorLow = colors::clBlack;
    ColorValue colorMid = colors::clBlue;
    ColorValue colorHigh = colors::clYellow;
    double colorScaleLow = 0.0;
    double colorScaleHigh = 100.0;
    TColorCodingMode colorCodingMode = ccmTwoColors;
    TColorScheme colorScheme = csSystem;
    int decPlaceX = 1;
    int decPlaceY = 1;
    int decPlaceZ = 2;
    TFrameStyle frameStyle = fsLowered;
    bool meshVisible = true;
    double magnification = 1.0;
    MouseActMode mouseAction = maRotate;
    int minTickX = 3;
    int minTickY = 3;
    int minTickZ = 3;
    double rangeXLow = -1.0;
    double rangeXHigh = 1.0;
    double rangeYLow = -1.0;
    double rangeYHigh = 1.0;
    double rangeZLow = -1.0;
    double rangeZHigh = 1.0;
    double scaleFactX = 1.0;
    double scaleFactY = 1.0;
    double scaleFactZ = 1.0;
    double viewAngleX = 60.0;
    double viewAngleZ = 15.0;
    bool visibleXCoords = true;
    bool visibleYCoords = true;
    bool visibleZCoords = true;
};

} // namespace plot3d
