// The surface plot's mathematics: view rotation, box corners and their tables, the Z map, the
// projection, the drawing order of the cells, colour coding, wall shading, the frame lines, the
// pointing search and the mouse drags. No Qt here; the widget only draws what these compute.
#pragma once

#include "plot3d/MatrixStorage.h"
#include "plot3d/PlotTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace plot3d {

// Half of the box size (300 model units along each axis).
constexpr int kBoxHalf = 150;

// Rounds to the nearest whole number, halves to the even neighbour.
double roundHalfEven(double value);
// roundHalfEven to int for screen coordinates; NaN gives 0 and huge values are held at +-1e8, so a
// wild value draws far outside the picture instead of overflowing.
int toScreen(double value);

struct Rotation
{
    // m[row][column], rows and columns from 0: m[0][0] is R11.
    std::array<std::array<double, 3>, 3> m{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
};

// R = Rx(ax) * Rz(az) from the view angles in degrees; entries below 0.000001 in size become 0.
Rotation viewRotation(double viewAngleX, double viewAngleZ);

// A view angle written to the property: values >= 360 and negative ones are brought into 0..360.
double wrapViewAngle(double degrees);
// A view angle reached by a mouse turn: lowered by 360 above 360, raised by 360 below 0 (360 stays).
double wrapTurnedAngle(double degrees);
double clampMagnification(double value);

struct Vec3
{
    double x = 0;
    double y = 0;
    double z = 0;
};

// Corner i (0..7): x = -150 for i < 4 else +150; y = +150 when bit 1 is set; z = +150 when bit 0 is set.
Vec3 boxCorner(int corner);

extern const std::array<std::array<int, 3>, 8> kCornerNeighbours;
extern const std::array<std::array<int, 3>, 8> kCornerFaces;
extern const std::array<std::array<int, 4>, 6> kFaceCorners;
extern const std::array<int, 8> kZPartner;
extern const std::array<int, 8> kYPartner;
extern const std::array<int, 8> kXPartner;

// Depth of a unit-cube corner: +-R31 +-R32 +-R33 with the corner's signs. Greater is nearer.
double cornerDepth(const Rotation& r, int corner);
// The corner with the least depth (first found on ties) and its opposite, 7 - far corner.
int farCorner(const Rotation& r);
int nearCorner(const Rotation& r);
// The corner whose +-R11 +-R12 +-R13 is greatest (first found on ties): the low end of the Z axis.
int rightmostCorner(const Rotation& r);

// Wall shade 0..200 of a face: round(50 * sum of its four corners' depths).
int faceShade(const Rotation& r, int face);
// low + (high - low) * shade / 200 per component, truncating toward zero.
ColorValue shadeColor(ColorValue low, ColorValue high, int shade);

// Value v lies at model z = scale * v + offset; low maps to -150 and high to +150.
struct ZMap
{
    double scale = 150.0;
    double offset = 0.0;
    double operator()(double value) const { return scale * value + offset; }
};
ZMap zMap(double rangeLow, double rangeHigh);

// Grid-unit offset of point index (from 1) among count points: index - count/2 - 0.5.
double gridOffset(int index, int count);
// Model coordinate of that point: the grid spans -150..+150 (a single point lies at 0).
double gridCoordinate(int index, int count);

// Parallel projection with the plot's scale factors, magnification and centre.
struct Projection
{
    Rotation r;
    double scaleX = 1;
    double scaleY = 1;
    double scaleZ = 1;
    double magnification = 1;
    int centX = 0;
    int centY = 0;

    ScreenPoint project(const Vec3& p) const;
    // The hit-matrix depth of a grid point: grid-unit offsets, model z, scaled by 0.01 and rounded.
    int hitDepth(double xGrid, double yGrid, double zModel) const;
};
Projection makeProjection(const PlotSettings& s, const Rotation& r);

// Painter's order of the cells: which way the rows and the columns are walked.
struct CellOrder
{
    bool rowsAscending = true;
    bool columnsAscending = true;
};
CellOrder cellOrder(double viewAngleX, double viewAngleZ);
// The cells (column, row) of a grid of nc by nr points in drawing order; empty when a count is 1.
std::vector<std::array<int, 2>> cellSequence(int nc, int nr, const CellOrder& order);

// Colour of a value by the two- or three-colour coding. System colours must be resolved before.
struct ColorCoding
{
    double scaleLow = 0;
    double scaleHigh = 100;
    bool threeColors = false;
    ColorValue low = 0;
    ColorValue mid = 0;
    ColorValue high = 0;

    ColorValue operator()(double value) const;
};

// The frame lines of the control for a bitmap of width w and height h, in drawing order.
enum class FrameInk { Frame, Shadow, Dark, Highlight };
struct FrameLine
{
    FrameInk ink = FrameInk::Frame;
    std::vector<ScreenPoint> points; // a polyline; a rectangle is closed (first point repeated)
};
std::vector<FrameLine> frameLines(TFrameStyle style, int w, int h);

// The part of the hit matrices that the last drawing filled (columns and rows from 1).
struct HitExtent
{
    int columns = 0;
    int rows = 0;
};

struct GridHit
{
    int column = 0;
    int row = 0;
};

// The grid point within a squared distance of round(300 * magnification) of (x, y) with the greatest
// depth (the nearest one among equally deep points, then the first found), searched only where the
// last drawing filled the hit matrices.
std::optional<GridHit> findGridPoint(const MatrixStorage<std::int32_t>& hitX,
                                     const MatrixStorage<std::int32_t>& hitY,
                                     const MatrixStorage<std::int32_t>& hitDepth, HitExtent extent, int x,
                                     int y, double magnification);

// The view at the moment no mouse button was down; drags are measured from it.
struct MouseAnchor
{
    ScreenPoint position;
    int centX = 0;
    int centY = 0;
    double magnification = 1;
    double viewAngleX = 0;
    double viewAngleZ = 0;
};
MouseAnchor makeAnchor(const PlotSettings& s, ScreenPoint position);

struct DragResult
{
    bool changed = false; // something was stored
    bool turned = false;  // a view angle changed, so the rotation must be recomputed
};

// Applies a drag with the pointer at (x, y) on a control of width w and height h. Values are stored
// in s directly, without the setters' checks. Outside the control nothing happens.
DragResult applyDrag(PlotSettings& s, const MouseAnchor& anchor, bool leftDown, bool rightDown, int x, int y,
                     int w, int h);

} // namespace plot3d
