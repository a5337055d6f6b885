// The 3D map view without a window: the view state (spin, tilt, zoom divisor), the view keys, the
// projection of the 16 x 16 point table, and the drawing as a list of mesh lines and coloured dots.
#pragma once

#include "vantrell/grid/core/CellView.h"
#include "vantrell/rom/MapAccess.h"
#include "vantrell/document/RomBuffer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace vantrell {

struct ViewPoint
{
    double x = 0, y = 0, z = 10; // model coordinates
    double X = 0, Y = 0;         // projected, before zoom and centring
    int sx = 0, sy = 0;          // in drawing units
};

struct ViewLine
{
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Rgb colour;
};

struct ViewDot
{
    int x = 0, y = 0; // centre, in drawing units
    int row = 0, column = 0;
    Rgb colour;
    bool ringed = false; // carries a ring: its byte differs from the reference image
};

struct ViewDrawing
{
    std::vector<ViewLine> lines; // 15 x 15 x 4 grey mesh lines
    std::vector<ViewDot> dots;   // 256 dots, row by row
};

enum class ViewKey { Left, Right, Up, Down, Other };

// Selected block in grid coordinates: 1-based, header row and column not counted, first <= last.
struct GridSelection
{
    int top = 0, left = 0, bottom = -1, right = -1;
    bool contains(int row1, int column1) const
    {
        return top <= row1 && row1 <= bottom && left <= column1 && column1 <= right;
    }
};

inline constexpr double kViewPi = 3.1415; // the view turns degrees to radians with this factor
inline constexpr int kDotRadius = 3;      // pixels
inline constexpr Rgb kMeshGrey{100, 100, 100};

class MapViewModel
{
  public:
    MapViewModel() { reset(); }

    // Start values: spin 290, tilt 220, D 2.5, flat point table.
    void reset();

    // Left/Right turn the spin by +10/-10, Up/Down the tilt by +10/-10; with Shift, Up and Down change
    // D by -0.1/+0.1 within 0.1..4.0 instead. Other keys change nothing. Returns whether the key is an
    // arrow key.
    bool viewKey(ViewKey key, bool shift);

    void setSelection(const GridSelection& selection) { selection_ = selection; }
    // Which cells carry a ring, by ROM address (none when not set).
    void setRinged(std::function<bool(std::uint32_t address)> ringed) { ringed_ = std::move(ringed); }
    const GridSelection& selection() const { return selection_; }

    // One drawing of the map at `mapAddress` of kind `kind` in an area `width` units wide: normalises
    // the angles once, sets the heights, projects, and lists the mesh lines and the dots.
    ViewDrawing draw(const RomBuffer& rom, std::uint32_t mapAddress, MapKind kind, double width);

    // The height z of a cell byte and the colour of its dot when not selected.
    static double heightOf(MapKind kind, std::uint8_t b);
    static Rgb dotColour(MapKind kind, std::uint8_t b);

    // Projects (x, y, z) with the current angles and D into an area `width` units wide.
    ViewPoint project(double x, double y, double z, double width) const;

    // The drawing unit for an area of widthPx by heightPx pixels, in units per pixel: the smallest that
    // keeps every possible figure (any map bytes, any angles) drawn at zoom divisor `zoom` inside the
    // area. The area should be at least half as high as wide (its centre lies half a width down); the
    // caller keeps a margin for the dots' radius.
    static double unitsPerPixel(double widthPx, double heightPx, double zoom = 0.1);

    // The smallest unit that keeps the last drawing's own figure (this map, these angles, this D)
    // inside an area of widthPx by heightPx pixels. Valid after draw().
    double unitsPerPixelForLastDrawing(double widthPx, double heightPx) const;

    // The unit for a figure that reaches `across` units sideways from the centre, `up` above it and
    // `down` below it (units of the drawing, after D).
    static double unitsToFit(double across, double up, double down, double widthPx, double heightPx);

    double spin = 290;
    double tilt = 220;
    double zoom = 2.5; // the divisor D

    const std::array<std::array<ViewPoint, 16>, 16>& points() const { return points_; }

  private:
    std::array<std::array<ViewPoint, 16>, 16> points_{};
    GridSelection selection_;
    std::function<bool(std::uint32_t)> ringed_;
};

} // namespace vantrell
