#include "vantrell/tools/core/MapViewModel.h"

#include "common/Numbers.h"

#include <algorithm>
#include <cmath>

namespace vantrell {

namespace {

constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 4.0;
// The figure's largest reach from its centre, in projected units before D: a point of the 16 x 16
// table lies at most 80 from the axis in x and y, so within 80 * sqrt 2 after any spin; the highest
// cell is 127 * 1.3 rounded = 165, the lowest -83.
constexpr double kMaxRadius = 113.137085; // 80 * sqrt(2)
constexpr double kMaxHeight = 165;

double normalised(double angle)
{
    if (angle > 360)
        angle -= 360;
    if (angle < 0)
        angle += 360;
    return angle;
}

std::uint8_t clampedChannel(double v)
{
    v = common::roundHalfEven(v);
    if (v < 0)
        return 1;
    if (v > 255)
        return 255;
    return static_cast<std::uint8_t>(v);
}

} // namespace

void MapViewModel::reset()
{
    spin = 290;
    tilt = 220;
    zoom = 2.5;
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            ViewPoint& p = points_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            p = ViewPoint{};
            p.x = -70 + 10 * r;
            p.y = -70 + 10 * c;
            p.z = 10;
        }
}

bool MapViewModel::viewKey(ViewKey key, bool shift)
{
    switch (key) {
    case ViewKey::Left:
        spin += 10;
        return true;
    case ViewKey::Right:
        spin -= 10;
        return true;
    case ViewKey::Up:
        if (shift) {
            zoom -= 0.1;
            if (zoom < kMinZoom)
                zoom = kMinZoom;
        } else {
            tilt += 10;
        }
        return true;
    case ViewKey::Down:
        if (shift) {
            zoom += 0.1;
            if (zoom > kMaxZoom)
                zoom = kMaxZoom;
        } else {
            tilt -= 10;
        }
        return true;
    case ViewKey::Other:
        break;
    }
    return false;
}

double MapViewModel::heightOf(MapKind kind, std::uint8_t b)
{
    int d = b;
    if (b >= 128)
        d = kind == MapKind::Fuel ? b - 192 : b - 128;
    return common::roundHalfEven(d * 1.3) * 1.0;
}

Rgb MapViewModel::dotColour(MapKind kind, std::uint8_t b)
{
    if (b > 128)
        return Rgb{0, 0, 255};
    if (kind == MapKind::Fuel)
        return Rgb{clampedChannel(2.5 * b + 1), clampedChannel(255 - 2.5 * b), 0};
    double red = 5.0 * b + 1;
    if (b > 50)
        red = 255;
    return Rgb{clampedChannel(red), clampedChannel(5.0 * (51 - b)), 0};
}

ViewPoint MapViewModel::project(double x, double y, double z, double width) const
{
    ViewPoint p;
    p.x = x;
    p.y = y;
    p.z = z;
    const double a = spin * kViewPi / 180;
    const double x1 = x * std::cos(a) - y * std::sin(a);
    const double y1 = x * std::sin(a) + y * std::cos(a);
    const double t = tilt * kViewPi / 180;
    const double y2 = z * std::sin(t) + y1 * std::cos(t);
    p.X = 12 * x1;
    p.Y = 12 * y2;
    const double cx = common::roundHalfEven(width / 2);
    const double cy = common::roundHalfEven(width / 2 + 120);
    p.sx = common::toInt32(p.X / zoom + cx);
    p.sy = common::toInt32(p.Y / zoom + cy);
    return p;
}

ViewDrawing MapViewModel::draw(const RomBuffer& rom, std::uint32_t mapAddress, MapKind kind, double width)
{
    spin = normalised(spin);
    tilt = normalised(tilt);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            ViewPoint& p = points_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            const std::uint8_t b =
                rom.at(mapAddress + 16u * static_cast<std::uint32_t>(r) + static_cast<std::uint32_t>(c));
            p = project(p.x, p.y, heightOf(kind, b), width);
        }
    auto at = [this](int r, int c) -> const ViewPoint& {
        return points_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    };
    ViewDrawing out;
    out.lines.reserve(15 * 15 * 4);
    auto line = [&out](const ViewPoint& a, const ViewPoint& b) {
        out.lines.push_back({a.sx, a.sy, b.sx, b.sy, kMeshGrey});
    };
    for (int i = 1; i < 16; ++i)
        for (int j = 1; j < 16; ++j) {
            line(at(i - 1, j - 1), at(i, j - 1));
            line(at(i - 1, j - 1), at(i - 1, j));
            line(at(i, j), at(i - 1, j));
            line(at(i, j), at(i, j - 1));
        }
    out.dots.reserve(256);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            const std::uint32_t address =
                mapAddress + 16u * static_cast<std::uint32_t>(r) + static_cast<std::uint32_t>(c);
            const std::uint8_t b = rom.at(address);
            const Rgb colour = selection_.contains(r + 1, c + 1) ? kWhite : dotColour(kind, b);
            out.dots.push_back({at(r, c).sx, at(r, c).sy, r, c, colour, ringed_ && ringed_(address)});
        }
    return out;
}

double MapViewModel::unitsToFit(double across, double up, double down, double widthPx, double heightPx)
{
    // One unit more each way covers the rounding of the centre and of the points.
    across += 1;
    up += 1;
    down += 1;
    const double w = std::max(widthPx, 1.0);
    const double h = std::max(heightPx, w * 0.5 + 1); // the centre lies W / 2 down: keep room below it
    // Sideways: W / 2 >= across, with W = s * w.
    double s = 2 * across / w;
    // Upwards: cy - up >= 0, that is s * w / 2 + 120 >= up.
    s = std::max(s, (up - 120) * 2 / w);
    // Downwards: cy + down <= s * h, that is s * (h - w / 2) >= down + 120.
    s = std::max(s, (down + 120) / (h - w / 2));
    return std::max(s, 1e-9);
}

double MapViewModel::unitsPerPixel(double widthPx, double heightPx, double zoom)
{
    // The figure reaches kMaxRadius * 12 / D sideways from cx = W / 2, and
    // 12 * sqrt(height^2 + radius^2) / D up and down from cy = W / 2 + 120 (a tilted point mixes its
    // height and its y). A real map reaches both: a corner cell of 127 turned near 45 degrees and tilted
    // near 55 degrees, so no smaller unit holds every map.
    const double d = std::clamp(zoom, kMinZoom, kMaxZoom);
    const double across = kMaxRadius * 12 / d;
    const double vertical = 12 * std::hypot(kMaxHeight, kMaxRadius) / d;
    return unitsToFit(across, vertical, vertical, widthPx, heightPx);
}

double MapViewModel::unitsPerPixelForLastDrawing(double widthPx, double heightPx) const
{
    double across = 0, up = 0, down = 0;
    for (const auto& row : points_)
        for (const ViewPoint& p : row) {
            across = std::max(across, std::abs(p.X) / zoom);
            up = std::max(up, -p.Y / zoom);
            down = std::max(down, p.Y / zoom);
        }
    return unitsToFit(across, up, down, widthPx, heightPx);
}

} // namespace vantrell
