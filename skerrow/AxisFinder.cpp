#include "AxisFinder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace skerrow {

namespace {

constexpr int kAxisLength = 16;
constexpr int kLongestRun = 19;
constexpr int kLeastRise = 24;
constexpr double kMostUneven = 6;
constexpr double kFitFloor = 1e-2;

double dot(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += a[i] * b[i];
    return sum;
}

int valueAt(std::span<const std::uint8_t> image, std::int64_t address, int width)
{
    const auto at = [&](std::int64_t i) { return static_cast<int>(image[static_cast<std::size_t>(i)]); };
    return width == 1 ? at(address) : at(address) * 256 + at(address + 1);
}

// The largest step of the 16 values from `at` over their median step. An axis may step unevenly,
// a few times further in one place than in another; a value that joined a run from outside (a
// smaller one before it, an erased 0xFF after it) takes a step unlike all the others.
double unevenness(std::span<const std::uint8_t> image, std::int64_t at, int width)
{
    std::array<int, kAxisLength - 1> steps{};
    for (int i = 0; i + 1 < kAxisLength; ++i)
        steps[static_cast<std::size_t>(i)] =
            valueAt(image, at + static_cast<std::int64_t>(i + 1) * width, width) -
            valueAt(image, at + static_cast<std::int64_t>(i) * width, width);
    const int largest = *std::max_element(steps.begin(), steps.end());
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    return static_cast<double>(largest) / std::max(1, steps[steps.size() / 2]);
}

// Where in a rising run of `length` values from `start` the axis begins: on a 16-byte boundary if
// it can, else where its steps are most even.
std::int64_t axisStart(std::span<const std::uint8_t> image, std::int64_t start, int length, int width)
{
    const int spare = length - kAxisLength;
    for (int s = 0; s <= spare; ++s)
        if ((start + static_cast<std::int64_t>(s) * width) % 16 == 0)
            return start + static_cast<std::int64_t>(s) * width;
    std::int64_t best = start;
    double bestUnevenness = 0;
    for (int s = 0; s <= spare; ++s) {
        const std::int64_t at = start + static_cast<std::int64_t>(s) * width;
        const double u = unevenness(image, at, width);
        if (s == 0 || u < bestUnevenness) {
            best = at;
            bestUnevenness = u;
        }
    }
    return best;
}

// The axes among the values `width` bytes apart from `phase` on.
void collectRuns(std::span<const std::uint8_t> image, int width, int phase, std::vector<AxisRun>& out)
{
    const auto size = static_cast<std::int64_t>(image.size());
    const auto count = (size - phase) / width;
    std::int64_t runStart = 0;
    for (std::int64_t i = 1; i <= count; ++i) {
        const bool rises = i < count && valueAt(image, phase + i * width, width) >
                                            valueAt(image, phase + (i - 1) * width, width);
        if (rises)
            continue;
        const auto length = static_cast<int>(std::min<std::int64_t>(i - runStart, kLongestRun + 1));
        if (length >= kAxisLength && length <= kLongestRun) {
            const std::int64_t first = phase + runStart * width;
            const std::int64_t at = axisStart(image, first, length, width);
            const int rise =
                valueAt(image, at + (kAxisLength - 1) * width, width) - valueAt(image, at, width);
            if (rise >= kLeastRise && unevenness(image, at, width) <= kMostUneven)
                out.push_back({at, width});
        }
        runStart = i;
    }
}

// How well a map's profile (its mean value at each of 16 points along one direction) follows a
// quadratic of the axis values: the share of the profile's spread the fit leaves, 0 to 1. A map is a
// smooth function of the values its axis samples, so the right axis leaves least; an axis with
// other spacing bends the profile. Nothing to tell (0) when the profile does not vary.
double leftoverShare(const std::vector<double>& profile, const std::vector<int>& axis)
{
    const std::size_t n = profile.size();
    if (axis.size() != n || n < 4)
        return 0;
    double mean = 0;
    for (int a : axis)
        mean += a;
    mean /= static_cast<double>(n);
    double deviation = 0;
    for (int a : axis)
        deviation += (a - mean) * (a - mean);
    deviation = std::sqrt(deviation / static_cast<double>(n));
    // Orthogonal basis of 1, x and x squared over the axis points, then the profile less its
    // projections on them.
    std::array<std::vector<double>, 3> basis;
    for (std::size_t k = 0; k < basis.size(); ++k) {
        std::vector<double>& b = basis[k];
        for (int a : axis)
            b.push_back(std::pow((a - mean) / deviation, static_cast<double>(k)));
        for (std::size_t j = 0; j < k; ++j) {
            const double c = dot(b, basis[j]) / dot(basis[j], basis[j]);
            for (std::size_t i = 0; i < n; ++i)
                b[i] -= c * basis[j][i];
        }
    }
    std::vector<double> rest = profile;
    for (const auto& b : basis) {
        const double c = dot(rest, b) / dot(b, b);
        for (std::size_t i = 0; i < n; ++i)
            rest[i] -= c * b[i];
    }
    double profileMean = 0;
    for (double p : profile)
        profileMean += p;
    profileMean /= static_cast<double>(n);
    double spread = 0;
    for (double p : profile)
        spread += (p - profileMean) * (p - profileMean);
    if (spread < 1e-9)
        return 0;
    return dot(rest, rest) / spread;
}

// How well an axis fits: the fewer digits of the profile's spread the fit leaves, the better. A
// leftover of a hundredth or less is as good as none: whole-number cells leave about that much
// even on the right axis, and below it the order of fits is chance.
double fitOf(const std::vector<double>& profile, const std::vector<int>& axis)
{
    return -std::log10(leftoverShare(profile, axis) + kFitFloor);
}

} // namespace

std::vector<AxisRun> findAxes(std::span<const std::uint8_t> image)
{
    std::vector<AxisRun> axes;
    collectRuns(image, 1, 0, axes);
    collectRuns(image, 2, 0, axes);
    collectRuns(image, 2, 1, axes);
    std::sort(axes.begin(), axes.end(), [](const AxisRun& a, const AxisRun& b) {
        return a.address != b.address ? a.address < b.address : a.width < b.width;
    });
    return axes;
}

std::vector<int> axisValues(std::span<const std::uint8_t> image, const AxisRun& axis)
{
    std::vector<int> values;
    if (!axis.found() || axis.address < 0 ||
        axis.address + axis.bytes() > static_cast<std::int64_t>(image.size()))
        return values;
    for (int i = 0; i < kAxisLength; ++i)
        values.push_back(
            valueAt(image, axis.address + static_cast<std::int64_t>(i) * axis.width, axis.width));
    return values;
}

AxisPair bestAxesFor(std::span<const std::uint8_t> image, const std::vector<AxisRun>& axes,
                     std::int64_t mapAddress, const std::vector<double>& rowProfile,
                     const std::vector<double>& columnProfile)
{
    AxisPair best;
    if (axes.size() < 2)
        return best;
    std::vector<double> rowFit;
    std::vector<double> columnFit;
    for (const AxisRun& axis : axes) {
        const auto values = axisValues(image, axis);
        rowFit.push_back(fitOf(rowProfile, values));
        columnFit.push_back(fitOf(columnProfile, values));
    }
    // Axes are stored in pairs, the row axis first; where pairs stand back to back they pair up
    // from the first axis of the chain (rpm, load, rpm, load), not from the second.
    std::vector<std::size_t> order(axes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return axes[a].address < axes[b].address; });
    std::vector<int> placeInChain(axes.size(), 0);
    for (std::size_t k = 1; k < order.size(); ++k) {
        const AxisRun& before = axes[order[k - 1]];
        const AxisRun& axis = axes[order[k]];
        if (axis.address == before.address + before.bytes() && axis.width == before.width)
            placeInChain[order[k]] = placeInChain[order[k - 1]] + 1;
    }
    const double span = std::max<double>(1, static_cast<double>(image.size()));
    double bestScore = -std::numeric_limits<double>::infinity();
    for (std::size_t r = 0; r < axes.size(); ++r) {
        for (std::size_t c = 0; c < axes.size(); ++c) {
            if (r == c)
                continue;
            const AxisRun& rows = axes[r];
            const AxisRun& columns = axes[c];
            const bool pair = columns.address == rows.address + rows.bytes() && columns.width == rows.width &&
                              placeInChain[r] % 2 == 0;
            const double distance =
                std::abs(static_cast<double>(std::min(rows.address, columns.address) - mapAddress));
            const double score = rowFit[r] + columnFit[c] + (pair ? 1.0 : 0.0) - 0.25 * distance / span;
            if (score > bestScore) {
                bestScore = score;
                best = {rows, columns};
            }
        }
    }
    return best;
}

} // namespace skerrow
