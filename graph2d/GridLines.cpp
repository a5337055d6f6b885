#include "GridLines.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <string>

namespace graph2d {

namespace {

constexpr double axisTolerance = 0.00001;

// The step grows along 10000, 50000, 100000, ... until the lines are no denser than one a pixel.
// The finest-step rule never goes above 10000, so without this a wide area would give millions of
// lines (and a paint that does not end in reasonable time).
double stepForExtent(double step, double span, int extent)
{
    const double maxSteps = std::max(extent, 1);
    while (span / step > maxSteps) {
        const bool isPowerOfTen = std::abs(std::log10(step) - std::round(std::log10(step))) < 1e-9;
        step *= isPowerOfTen ? 5.0 : 2.0;
    }
    return step;
}

// Lines along one axis: values from the first grid value up to and including `high`; `offset` of a
// value is its truncated pixel distance from the low edge.
template <typename PixelOf>
GridLineSet linesAlong(double low, double high, double ppu, double step, int extent, PixelOf pixelOf)
{
    GridLineSet set;
    if (!(step > 0.0) || !std::isfinite(step))
        return set;
    step = stepForExtent(step, high - low, extent);
    set.step = step;
    const double first = firstGridValue(low, step);
    const double count = std::floor((high - first) / step);
    for (double k = 0; k <= count; ++k) {
        const double value = first + k * step;
        if (value > high)
            break;
        const double offset = std::trunc((value - low) * ppu);
        if (offset < 0.0 || offset > extent)
            continue;
        set.lines.push_back({value, pixelOf(static_cast<int>(offset)), std::abs(value) < axisTolerance});
    }
    return set;
}

int log10Digits(double value)
{
    if (std::abs(value) < axisTolerance)
        return 5;
    return static_cast<int>(std::nearbyint(std::abs(std::log10(std::abs(value)))));
}

} // namespace

GridLinesShown gridLinesShown(GridStyle style)
{
    GridLinesShown shown;
    shown.xAxis = style == GridStyle::XAxis || style == GridStyle::Axises || style == GridStyle::XGrid ||
                  style == GridStyle::Full;
    shown.xGrid = style == GridStyle::XGrid || style == GridStyle::Full;
    shown.yAxis = style == GridStyle::YAxis || style == GridStyle::Axises || style == GridStyle::YGrid ||
                  style == GridStyle::Full;
    shown.yGrid = style == GridStyle::YGrid || style == GridStyle::Full;
    return shown;
}

double gridStep(double pixelsPerUnit, double labelSize)
{
    const double n = labelSize > 0.0 ? std::nearbyint(pixelsPerUnit * 10000.0 / labelSize) : 10.0;
    double step = 10000.0;
    double multiplier = 1.0;
    bool byTwo = true;
    // m grows to n (or to infinity for an infinite n); the floor on the step keeps it positive.
    while (multiplier < n && step > 1e-300) {
        const double factor = byTwo ? 2.0 : 5.0;
        multiplier *= factor;
        if (multiplier < n)
            step /= factor;
        byTwo = !byTwo;
    }
    return step;
}

double firstGridValue(double low, double step)
{
    const double quotient = low / step;
    if (quotient > 0.0)
        return step * (std::trunc(quotient) + 1.0);
    return step * std::trunc(quotient) - step;
}

GridLineSet horizontalGridLines(const PixelMap& map, double textHeight)
{
    const VisibleArea& area = map.area();
    const PlotRect& rect = map.rect();
    const double ppy = map.pixelsPerUnitY();
    return linesAlong(area.y1, area.y2, ppy, gridStep(ppy, textHeight), rect.height(),
                      [&rect](int offset) { return rect.bottom - offset; });
}

GridLineSet verticalGridLines(const PixelMap& map, double sampleWidth)
{
    const VisibleArea& area = map.area();
    const PlotRect& rect = map.rect();
    const double ppx = map.pixelsPerUnitX();
    return linesAlong(area.x1, area.x2, ppx, gridStep(ppx, sampleWidth), rect.width(),
                      [&rect](int offset) { return rect.left + offset; });
}

std::string sampleNumberText(double x1, double x2)
{
    const int digits = std::max(log10Digits(x1), log10Digits(x2)) + 1;
    return std::string(static_cast<std::size_t>(digits), '8') + ",888";
}

std::string axisNumberText(double value, double step)
{
    if (std::abs(value) < axisTolerance)
        return "0";
    int decimals = 0;
    if (step < 1.0 && step > 0.0)
        decimals = std::min(20, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
    // std::to_chars, not printf: the label must not follow the user's locale (a decimal comma).
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0");
}

} // namespace graph2d
