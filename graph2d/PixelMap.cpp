#include "PixelMap.h"

#include <algorithm>
#include <cmath>

namespace graph2d {

namespace {

int clampedPixel(double value)
{
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (std::isnan(rounded))
        return 0;
    return static_cast<int>(std::clamp(rounded, -PixelMap::pixelLimit, PixelMap::pixelLimit));
}

} // namespace

PixelMap::PixelMap(const VisibleArea& area, const PlotRect& rect)
    : area_(area), rect_(rect), ppx_(rect.width() / area.width()), ppy_(rect.height() / area.height())
{}

int PixelMap::columnOf(double x) const
{
    return rect_.left + clampedPixel((x - area_.x1) * rect_.width() / area_.width());
}

int PixelMap::rowOf(double y) const
{
    return rect_.bottom - clampedPixel((y - area_.y1) * rect_.height() / area_.height());
}

PixelPoint PixelMap::pixelOf(double x, double y) const
{
    return {columnOf(x), rowOf(y)};
}

double PixelMap::xAtColumn(int column) const
{
    return area_.x1 + (column - rect_.left) * area_.width() / rect_.width();
}

double PixelMap::yAtRow(int row) const
{
    return area_.y1 + (rect_.bottom - row) * area_.height() / rect_.height();
}

} // namespace graph2d
