#include "plot3d/PlotMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plot3d {

namespace {

constexpr double kScreenLimit = 1e8;

int signX(int corner)
{
    return corner < 4 ? -1 : 1;
}
int signY(int corner)
{
    return (corner & 2) != 0 ? 1 : -1;
}
int signZ(int corner)
{
    return (corner & 1) != 0 ? 1 : -1;
}

double snap(double value)
{
    return std::fabs(value) < 0.000001 ? 0.0 : value;
}

} // namespace

const std::array<std::array<int, 3>, 8> kCornerNeighbours{
    {{1, 2, 4}, {0, 3, 5}, {0, 3, 6}, {1, 2, 7}, {0, 5, 6}, {1, 4, 7}, {2, 4, 7}, {3, 5, 6}}};
const std::array<std::array<int, 3>, 8> kCornerFaces{
    {{5, 3, 2}, {0, 3, 5}, {1, 2, 5}, {0, 1, 5}, {3, 4, 2}, {0, 3, 4}, {1, 2, 4}, {0, 4, 1}}};
const std::array<std::array<int, 4>, 6> kFaceCorners{
    {{1, 5, 7, 3}, {2, 3, 7, 6}, {2, 6, 4, 0}, {0, 4, 5, 1}, {4, 5, 7, 6}, {0, 1, 3, 2}}};
const std::array<int, 8> kZPartner{1, 0, 3, 2, 5, 4, 7, 6};
const std::array<int, 8> kYPartner{2, 3, 0, 1, 6, 7, 4, 5};
const std::array<int, 8> kXPartner{4, 5, 6, 7, 0, 1, 2, 3};

double roundHalfEven(double value)
{
    // The default floating-point rounding mode rounds halves to even.
    return std::nearbyint(value);
}

int toScreen(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(roundHalfEven(std::clamp(value, -kScreenLimit, kScreenLimit)));
}

Rotation viewRotation(double viewAngleX, double viewAngleZ)
{
    const double ax = viewAngleX * std::numbers::pi * (1.0 / 180.0);
    const double az = viewAngleZ * std::numbers::pi * (1.0 / 180.0);
    const double sx = std::sin(ax), cx = std::cos(ax), sz = std::sin(az), cz = std::cos(az);
    Rotation r;
    r.m = {{{cz, -sz, 0.0}, {sz * cx, cz * cx, -sx}, {sz * sx, cz * sx, cx}}};
    for (auto& row : r.m)
        for (double& v : row)
            v = snap(v);
    return r;
}

double wrapViewAngle(double degrees)
{
    if (!std::isfinite(degrees))
        return 0.0;
    // The fraction of a turn, kept with its sign; fmod gives it without the rounding of a division.
    if (degrees >= 360.0)
        return std::fmod(degrees, 360.0);
    if (degrees < 0.0)
        return std::fmod(degrees, 360.0) + 360.0;
    return degrees;
}

double wrapTurnedAngle(double degrees)
{
    if (degrees > 360.0)
        return degrees - 360.0;
    if (degrees < 0.0)
        return degrees + 360.0;
    return degrees;
}

double clampMagnification(double value)
{
    if (std::isnan(value))
        return 0.001;
    return std::clamp(value, 0.001, 3.0);
}

Vec3 boxCorner(int corner)
{
    return {static_cast<double>(signX(corner) * kBoxHalf), static_cast<double>(signY(corner) * kBoxHalf),
            static_cast<double>(signZ(corner) * kBoxHalf)};
}

double cornerDepth(const Rotation& r, int corner)
{
    return signX(corner) * r.m[2][0] + signY(corner) * r.m[2][1] + signZ(corner) * r.m[2][2];
}

int farCorner(const Rotation& r)
{
    int far = 0;
    for (int i = 1; i < 8; ++i)
        if (cornerDepth(r, i) < cornerDepth(r, far))
            far = i;
    return far;
}

int nearCorner(const Rotation& r)
{
    return 7 - farCorner(r);
}

int rightmostCorner(const Rotation& r)
{
    auto screenX = [&r](int i) { return signX(i) * r.m[0][0] + signY(i) * r.m[0][1] + signZ(i) * r.m[0][2]; };
    int best = 0;
    for (int i = 1; i < 8; ++i)
        if (screenX(i) > screenX(best))
            best = i;
    return best;
}

int faceShade(const Rotation& r, int face)
{
    double sum = 0;
    for (int corner : kFaceCorners[static_cast<std::size_t>(face)])
        sum += cornerDepth(r, corner);
    return std::clamp(static_cast<int>(roundHalfEven(50.0 * sum)), 0, 200);
}

ColorValue shadeColor(ColorValue low, ColorValue high, int shade)
{
    auto mix = [shade](int lo, int hi) { return lo + (hi - lo) * shade / 200; };
    return colors::rgb(mix(colors::redOf(low), colors::redOf(high)),
                       mix(colors::greenOf(low), colors::greenOf(high)),
                       mix(colors::blueOf(low), colors::blueOf(high)));
}

ZMap zMap(double rangeLow, double rangeHigh)
{
    ZMap map;
    map.scale = 300.0 / (rangeHigh - rangeLow);
    map.offset = -150.0 - map.scale * rangeLow;
    return map;
}

double gridOffset(int index, int count)
{
    return index - count / 2.0 - 0.5;
}

double gridCoordinate(int index, int count)
{
    const double step = count > 1 ? 300.0 / (count - 1) : 1.0;
    return gridOffset(index, count) * step;
}

ScreenPoint Projection::project(const Vec3& p) const
{
    const auto& m = r.m;
    const double sx =
        (scaleX * p.x * m[0][0] + scaleY * p.y * m[0][1] + scaleZ * p.z * m[0][2]) * magnification;
    const double sy =
        (scaleX * p.x * m[1][0] + scaleY * p.y * m[1][1] + scaleZ * p.z * m[1][2]) * magnification;
    return {toScreen(sx + centX), toScreen(sy + centY)};
}

int Projection::hitDepth(double xGrid, double yGrid, double zModel) const
{
    const auto& m = r.m;
    return toScreen((scaleX * xGrid * m[2][0] + scaleY * yGrid * m[2][1] + scaleZ * zModel * m[2][2]) * 0.01);
}

Projection makeProjection(const PlotSettings& s, const Rotation& r)
{
    Projection p;
    p.r = r;
    p.scaleX = s.scaleFactX;
    p.scaleY = s.scaleFactY;
    p.scaleZ = s.scaleFactZ;
    p.magnification = s.magnification;
    p.centX = s.centX;
    p.centY = s.centY;
    return p;
}

CellOrder cellOrder(double viewAngleX, double viewAngleZ)
{
    const bool tiltedOver = viewAngleX > 180.0;
    CellOrder order;
    order.rowsAscending = tiltedOver != (viewAngleZ < 90.0 || viewAngleZ > 270.0);
    order.columnsAscending = tiltedOver == (viewAngleZ > 180.0);
    return order;
}

std::vector<std::array<int, 2>> cellSequence(int nc, int nr, const CellOrder& order)
{
    std::vector<std::array<int, 2>> cells;
    if (nc < 2 || nr < 2)
        return cells;
    cells.reserve(static_cast<std::size_t>(nc - 1) * static_cast<std::size_t>(nr - 1));
    for (int i = 1; i <= nr - 1; ++i) {
        const int r = order.rowsAscending ? i : nr - i;
        for (int k = 1; k <= nc - 1; ++k)
            cells.push_back({order.columnsAscending ? k : nc - k, r});
    }
    return cells;
}

ColorValue ColorCoding::operator()(double value) const
{
    double v = value;
    if (!(v >= scaleLow)) // also catches NaN
        v = scaleLow;
    if (v > scaleHigh)
        v = scaleHigh;
    const double t = (v - scaleLow) / (scaleHigh - scaleLow);
    ColorValue from = low, to = high;
    double f = t;
    if (threeColors) {
        if (t < 0.5) {
            to = mid;
            f = 2.0 * t;
        } else {
            from = mid;
            f = 2.0 * (t - 0.5);
        }
    }
    auto mix = [f](int a, int b) { return static_cast<int>(roundHalfEven(f * (b - a) + a)); };
    return colors::rgb(mix(colors::redOf(from), colors::redOf(to)),
                       mix(colors::greenOf(from), colors::greenOf(to)),
                       mix(colors::blueOf(from), colors::blueOf(to)));
}

std::vector<FrameLine> frameLines(TFrameStyle style, int w, int h)
{
    auto rect = [](FrameInk ink, int x1, int y1, int x2, int y2) {
        return FrameLine{ink, {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}}};
    };
    auto bevel = [&](FrameInk topLeft, FrameInk bottomRight) {
        return std::vector<FrameLine>{rect(FrameInk::Shadow, 0, 0, w - 2, h - 2),
                                      FrameLine{topLeft, {{1, h - 3}, {1, 1}, {w - 2, 1}}},
                                      FrameLine{bottomRight, {{1, h - 1}, {w - 1, h - 1}, {w - 1, 0}}}};
    };
    switch (style) {
    case fsNone:
        return {};
    case fsSimple:
        return {rect(FrameInk::Frame, 0, 0, w - 1, h - 1)};
    case fsLowered:
        return bevel(FrameInk::Dark, FrameInk::Highlight);
    case fsRaised:
        return bevel(FrameInk::Highlight, FrameInk::Dark);
    case fsEmbossed:
        return {rect(FrameInk::Shadow, 1, 1, w - 1, h - 1), rect(FrameInk::Highlight, 0, 0, w - 2, h - 2)};
    case fsEngraved:
        return {rect(FrameInk::Highlight, 1, 1, w - 1, h - 1), rect(FrameInk::Shadow, 0, 0, w - 2, h - 2)};
    }
    return {};
}

std::optional<GridHit> findGridPoint(const MatrixStorage<std::int32_t>& hitX,
                                     const MatrixStorage<std::int32_t>& hitY,
                                     const MatrixStorage<std::int32_t>& hitDepth, HitExtent extent, int x,
                                     int y, double magnification)
{
    const std::int64_t limit = toScreen(300.0 * magnification);
    const int columns = std::min({extent.columns, hitX.columns(), hitY.columns(), hitDepth.columns()});
    const int rows = std::min({extent.rows, hitX.rows(), hitY.rows(), hitDepth.rows()});
    std::optional<GridHit> best;
    std::int32_t bestDepth = 0;
    std::int64_t bestDistance = 0;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= columns; ++c) {
            const std::int64_t dx = static_cast<std::int64_t>(hitX.at(c, r)) - x;
            const std::int64_t dy = static_cast<std::int64_t>(hitY.at(c, r)) - y;
            const std::int64_t distance = dx * dx + dy * dy;
            if (distance > limit)
                continue;
            // The stored depth is coarse (neighbouring points often share it), so among equally
            // deep points the one nearest to the pointer wins.
            const std::int32_t depth = hitDepth.at(c, r);
            if (!best || depth > bestDepth || (depth == bestDepth && distance < bestDistance)) {
                best = GridHit{c, r};
                bestDepth = depth;
                bestDistance = distance;
            }
        }
    }
    return best;
}

MouseAnchor makeAnchor(const PlotSettings& s, ScreenPoint position)
{
    return {position, s.centX, s.centY, s.magnification, s.viewAngleX, s.viewAngleZ};
}

DragResult applyDrag(PlotSettings& s, const MouseAnchor& anchor, bool leftDown, bool rightDown, int x, int y,
                     int w, int h)
{
    DragResult result;
    if ((!leftDown && !rightDown) || w <= 0 || h <= 0 || x < 0 || x > w || y < 0 || y > h)
        return result;
    const int x0 = anchor.position.x;
    const int y0 = anchor.position.y;
    auto turnZ = [&] {
        s.viewAngleZ = wrapTurnedAngle(anchor.viewAngleZ + static_cast<double>((x0 - x) * 360) / w);
    };
    auto zoom = [&] {
        s.magnification = std::clamp(anchor.magnification + (3.0 - 0.001) * (y0 - y) / h / 2.0, 0.001, 3.0);
    };
    if (leftDown) {
        switch (s.mouseAction) {
        case maRotate:
        case maRotAndZoom:
            turnZ();
            s.viewAngleX = wrapTurnedAngle(anchor.viewAngleX + static_cast<double>((y0 - y) * 360) / h);
            result.turned = true;
            break;
        case maRotXOnly:
            s.viewAngleX = wrapTurnedAngle(anchor.viewAngleX + static_cast<double>((y - y0) * 360) / h);
            result.turned = true;
            break;
        case maRotZOnly:
            turnZ();
            result.turned = true;
            break;
        case maZoom:
            zoom();
            result.changed = true;
            break;
        case maPan:
            s.centX = anchor.centX - (x0 - x);
            s.centY = anchor.centY - (y0 - y);
            result.changed = true;
            break;
        case maNone:
            break;
        }
    }
    if (rightDown && s.mouseAction == maRotAndZoom) {
        zoom();
        result.changed = true;
    }
    result.changed = result.changed || result.turned;
    return result;
}

} // namespace plot3d
