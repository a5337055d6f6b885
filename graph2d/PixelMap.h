// Mapping between the visible area and the pixels of the plotting rectangle.
#pragma once

#include "VisibleArea.h"

namespace graph2d {

// Pixel rectangle with inclusive edges: (left, top) and (right, bottom) are both inside.
struct PlotRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    bool operator==(const PlotRect&) const = default;
};

struct PixelPoint
{
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint&) const = default;
};

class PixelMap
{
  public:
    PixelMap(const VisibleArea& area, const PlotRect& rect);

    // Pixels per unit along x and y ((right - left) / width, (bottom - top) / height).
    double pixelsPerUnitX() const { return ppx_; }
    double pixelsPerUnitY() const { return ppy_; }

    // Pixel of a point, rounded to the nearest pixel (halves to even); y grows upwards on screen.
    // Coordinates far outside the rectangle are clamped to +-pixelLimit so that a distant point
    // still gives a line in the right direction without overflowing an int.
    PixelPoint pixelOf(double x, double y) const;
    int columnOf(double x) const;
    int rowOf(double y) const;

    // The values under a pixel column and row (inverse of the mapping, without rounding).
    double xAtColumn(int column) const;
    double yAtRow(int row) const;

    const VisibleArea& area() const { return area_; }
    const PlotRect& rect() const { return rect_; }

    static constexpr double pixelLimit = 1.0e6;

  private:
    VisibleArea area_;
    PlotRect rect_;
    double ppx_;
    double ppy_;
};

} // namespace graph2d
