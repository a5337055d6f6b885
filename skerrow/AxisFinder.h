// Finds the axes of maps in a ROM image: runs of 16 strictly rising values, one byte each or 16-bit
// values stored high byte first, and picks the pair that fits a map best.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace skerrow {

// Sixteen rising values from `address`, each `width` bytes (1, or 2 high byte first). A width of 0
// means no axis.
struct AxisRun
{
    std::int64_t address = -1;
    int width = 0;

    bool found() const { return width > 0; }
    std::int64_t bytes() const { return 16 * static_cast<std::int64_t>(width); }
    bool operator==(const AxisRun&) const = default;
};

// Every axis in the image, by address. A run of strictly rising values is an axis when it holds 16
// to 19 values (an axis may have a smaller value before it or a larger one, such as an erased 0xFF,
// after it; longer runs are curves, not axes), rises by at least 24 overall and takes no step more
// than six times its median step (15 rising values and an erased 0xFF are no axis). Where the run is
// longer than 16 the axis starts on a 16-byte boundary if it can, else where its steps are most
// even. 16-bit runs are looked for at even and at odd addresses.
std::vector<AxisRun> findAxes(std::span<const std::uint8_t> image);

// The values of an axis (16 of them).
std::vector<int> axisValues(std::span<const std::uint8_t> image, const AxisRun& axis);

// The row (RPM) and column (load) axes that fit a map best. `rowProfile` and `columnProfile` are
// the map's mean value in each of its 16 rows and in each of its 16 columns. A map is sampled at
// its axes' points and changes smoothly with the values they stand for, so an axis fits by how
// closely a quadratic of its values follows the profile; where an axis takes a larger step, the
// map changes more; a leftover of a hundredth of the spread or less counts as a perfect fit. Axes
// stored as a pair, the column axis right after the row axis, count for more (where several pairs
// stand back to back, they pair up from the first axis), and nearer pairs win when fits are equal.
// Both axes stay unfound when `axes` holds fewer than two.
struct AxisPair
{
    AxisRun rows;
    AxisRun columns;
};
AxisPair bestAxesFor(std::span<const std::uint8_t> image, const std::vector<AxisRun>& axes,
                     std::int64_t mapAddress, const std::vector<double>& rowProfile,
                     const std::vector<double>& columnProfile);

} // namespace skerrow
