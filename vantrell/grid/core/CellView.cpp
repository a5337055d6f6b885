#include "vantrell/grid/core/CellView.h"

#include "common/Numbers.h"

#include <algorithm>

namespace vantrell {

namespace {

std::uint8_t clampColour(double v, double low)
{
    if (v < low)
        return static_cast<std::uint8_t>(low);
    if (v > 255)
        return 255;
    return static_cast<std::uint8_t>(v);
}

// Fuel multiplier m = 1 + d/128 with the data value d.
double fuelMultiplier(std::uint8_t b)
{
    int d = b < 128 ? b : b - 192;
    return 1.0 + d / 128.0;
}

} // namespace

Rgb gridCellColour(MapKind kind, std::uint8_t b)
{
    DecodedCell cell = decodeCell(kind, b);
    if (cell.flag)
        return cell.bit6 ? kLightBlue : kDarkBlue;
    double s = kind == MapKind::Fuel ? common::roundHalfEven(cell.value * 2.5 + 1) : cell.value * 5.0;
    if (s > 255)
        s = 255;
    double g = 255 - s;
    if (g < 1)
        g = 1;
    return Rgb{static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(g), 0};
}

Rgb editCellColour(MapKind kind, int v)
{
    bool flag = (v & 0x80) != 0;
    if (kind == MapKind::Fuel) {
        if (flag)
            return v - 192 < 0 ? kDarkBlue : kLightBlue;
        double red = common::roundHalfEven(2.5 * v + 1);
        double green = common::roundHalfEven(255 - 2.5 * v);
        return Rgb{clampColour(red, 1), clampColour(green < 0 ? 1 : green, 0), 0};
    }
    if (flag)
        return kLightBlue;
    double red = 5.0 * v + 1;
    double green = 255.0 - 5.0 * v;
    return Rgb{clampColour(red, 1), clampColour(green < 0 ? 1 : green, 0), 0};
}

float injectorTime(std::uint8_t b, std::uint8_t loadByte)
{
    return static_cast<float>(loadByte * fuelMultiplier(b) * 0.125);
}

double afRatio(std::uint8_t b)
{
    return 14.7 / fuelMultiplier(b);
}

std::string cellText(MapKind kind, DisplayMode mode, std::uint8_t b, const FuelContext& context)
{
    if (mode == DisplayMode::Raw)
        return std::to_string(b);
    const int d = decodeCell(kind, b).value;
    if (kind == MapKind::Ignition || mode == DisplayMode::Data)
        return std::to_string(d);
    const double t = injectorTime(b, context.loadByte);
    switch (mode) {
    case DisplayMode::InjectorTime:
        return common::formatFixed(t, 2);
    case DisplayMode::AfRatio:
        return common::formatFixed(afRatio(b), 2);
    case DisplayMode::DutyCycle:
    case DisplayMode::Power: {
        const std::int16_t rpm = static_cast<std::int16_t>(context.rpmByte * 50);
        if (rpm == 0)
            return ""; // the injection cycle of a row at 0 rpm is infinite
        const double cycle = 1.0 / (rpm / 2.0 / 60.0) * 1000.0;
        if (mode == DisplayMode::DutyCycle)
            return common::formatFixed(t / cycle * 100.0, 0) + "%";
        const double flow = t / cycle * context.injectorsize;
        const double hp = flow / 10.2 * 2.04 * context.cyl;
        return common::formatFixed(hp, 0);
    }
    default:
        return std::to_string(d);
    }
}

std::string rowHeaderText(std::uint8_t rpmByte)
{
    return common::numberText(rpmByte * 50) + " rpm";
}

std::string columnHeaderText(std::uint8_t loadByte)
{
    return common::numberText(loadByte);
}

} // namespace vantrell
