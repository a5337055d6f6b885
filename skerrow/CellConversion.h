// How the scanner turns a table byte into the value it plots, and the value and colour ranges that go
// with each conversion mode.
#pragma once

#include <cstdint>
#include <span>

namespace skerrow {

// The conversion modes, numbered as the entries of the conversion box.
enum class ConversionMode : int { Raw = 0, AirFuel = 1, Timing = 2 };

// Value axis and colour scale of the surface for one table.
struct ValueRanges
{
    double zLow = 0;
    double zHigh = 255;
    double colorLow = 0;
    double colorHigh = 255;

    bool operator==(const ValueRanges&) const = default;
};

// The value plotted for byte b in the given mode (an index of the conversion box). Raw: b itself.
// Air/fuel: 14.7 x 128 / (b + 128) below 0xA0, 14.7 x 128 / (b - 64) from 0xA0 on. Timing: the low
// seven bits up to 0xF0, b - 255 above it. Any other mode (no entry chosen) gives 0.
double convertCell(std::uint8_t b, int mode);

// The ranges a table starts from in a mode: raw 0..255 (colours 0..255), air/fuel 14..15 (10..17),
// timing 0..1 (0..50). Any other mode gives the raw ranges.
ValueRanges initialRanges(int mode);

// True for the modes whose value range grows to take in the table's values (air/fuel and timing).
bool widensRange(int mode);

// Widens the value axis for one more value, in cell order: above the high end it becomes
// round(v) + 1, below the low end round(v) - 1 (halves to even).
void widenForValue(ValueRanges& ranges, double v);

// Converts a whole table (cells in file order) into `values` (same length) and returns the ranges
// after the widening in cell order. With an unknown mode every value is 0 and `previous` is returned.
ValueRanges convertTable(std::span<const std::uint8_t> cells, int mode, std::span<double> values,
                         const ValueRanges& previous);

} // namespace skerrow
