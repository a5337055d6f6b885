#include "CellConversion.h"

#include "common/Numbers.h"

#include <algorithm>

namespace skerrow {

double convertCell(std::uint8_t b, int mode)
{
    switch (static_cast<ConversionMode>(mode)) {
    case ConversionMode::Raw:
        return b;
    case ConversionMode::AirFuel: {
        // The quotient is formed first and in extended precision, then scaled by the
        // stoichiometric ratio, so the values match the tuner's tables to the last digit.
        const long double stoich = 14.7L;
        const long double quotient = b < 0xA0 ? 128.0L / (static_cast<long double>(b) + 128.0L)
                                              : 128.0L / (static_cast<long double>(b) - 64.0L);
        return static_cast<double>(quotient * stoich);
    }
    case ConversionMode::Timing:
        return b <= 0xF0 ? static_cast<double>(b & 0x7F) : static_cast<double>(b) - 255.0;
    }
    return 0;
}

ValueRanges initialRanges(int mode)
{
    switch (static_cast<ConversionMode>(mode)) {
    case ConversionMode::Raw:
        return {0, 255, 0, 255};
    case ConversionMode::AirFuel:
        return {14, 15, 10, 17};
    case ConversionMode::Timing:
        return {0, 1, 0, 50};
    }
    return {};
}

bool widensRange(int mode)
{
    return mode == static_cast<int>(ConversionMode::AirFuel) ||
           mode == static_cast<int>(ConversionMode::Timing);
}

void widenForValue(ValueRanges& ranges, double v)
{
    if (v > ranges.zHigh)
        ranges.zHigh = common::roundHalfEven(v) + 1;
    if (v < ranges.zLow)
        ranges.zLow = common::roundHalfEven(v) - 1;
}

ValueRanges convertTable(std::span<const std::uint8_t> cells, int mode, std::span<double> values,
                         const ValueRanges& previous)
{
    const std::size_t count = std::min(cells.size(), values.size());
    if (mode < 0 || mode > 2) {
        std::fill(values.begin(), values.end(), 0.0);
        return previous;
    }
    ValueRanges ranges = initialRanges(mode);
    const bool widen = widensRange(mode);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = convertCell(cells[i], mode);
        if (widen)
            widenForValue(ranges, values[i]);
    }
    return ranges;
}

} // namespace skerrow
