// What a map cell looks like: its background colour by value and flag, and its text in the six
// display modes of the fuel maps. Shared by the grid fill and by the edit keys.
#pragma once

#include "vantrell/rom/MapAccess.h"

#include <cstdint>
#include <string>

namespace vantrell {

struct Rgb
{
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kLightBlue{0, 0, 255};
inline constexpr Rgb kDarkBlue{0, 0, 128};

// Background of a cell when the whole grid is filled: flagged cells blue (light when bit 6 is set),
// others shaded from green (low) through yellow to red (high).
Rgb gridCellColour(MapKind kind, std::uint8_t b);

// Background of a cell just changed by an edit key (a slightly different ramp), for the new value v.
Rgb editCellColour(MapKind kind, int v);

enum class DisplayMode : int { Data = 1, InjectorTime = 2, AfRatio = 3, DutyCycle = 4, Power = 5, Raw = 6 };

// What the fuel conversions need beyond the cell byte.
struct FuelContext
{
    std::uint8_t loadByte = 0; // the column's load axis byte
    std::uint8_t rpmByte = 0;  // the row's RPM axis byte (x 50 = rpm)
    std::int32_t injectorsize = 0;
    std::int32_t cyl = 0;
};

// Injector time in ms, stored in single precision as the ECU tool always has.
float injectorTime(std::uint8_t b, std::uint8_t loadByte);
double afRatio(std::uint8_t b);

// The cell's text in the given mode. Ignition maps show the data value in every mode but raw.
// Modes 4 and 5 in a row whose RPM byte is 0 (an infinite injection cycle) give an empty text.
std::string cellText(MapKind kind, DisplayMode mode, std::uint8_t b, const FuelContext& context);

// " 3000 rpm" for the byte 60: the rpm with a leading blank, then " rpm".
std::string rowHeaderText(std::uint8_t rpmByte);
// The load byte with a leading blank.
std::string columnHeaderText(std::uint8_t loadByte);

} // namespace vantrell
