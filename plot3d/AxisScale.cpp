#include "plot3d/AxisScale.h"

#include <cmath>
#include <charconv>
#include <string>
#include <numbers>
#include <utility>

namespace plot3d {

AxisEdge axisEdge(PlotAxis axis, const Rotation& r)
{
    AxisEdge edge;
    switch (axis) {
    case PlotAxis::X:
        edge.low = kZPartner[static_cast<std::size_t>(nearCorner(r))];
        edge.high = kXPartner[static_cast<std::size_t>(edge.low)];
        if (boxCorner(edge.low).x > boxCorner(edge.high).x)
            std::swap(edge.low, edge.high);
        break;
    case PlotAxis::Y:
        edge.low = kZPartner[static_cast<std::size_t>(nearCorner(r))];
        edge.high = kYPartner[static_cast<std::size_t>(edge.low)];
        if (boxCorner(edge.low).y > boxCorner(edge.high).y)
            std::swap(edge.low, edge.high);
        break;
    case PlotAxis::Z:
        edge.low = rightmostCorner(r);
        edge.high = kZPartner[static_cast<std::size_t>(edge.low)];
        break;
    }
    return edge;
}

TickScale computeTicks(double low, double high, int minTick)
{
    TickScale scale;
    const double span = high - low;
    if (!std::isfinite(span) || span == 0.0 || minTick < 1)
        return scale;
    const double d = std::fabs(span) / minTick;
    const double e = std::log10(d);
    const double m = std::floor(e);
    const double f = e - m;
    double step = std::pow(10.0, m);
    if (f >= 0.69897)
        step *= 5.0;
    else if (f >= 0.30103)
        step *= 2.0;
    if (!std::isfinite(step) || step == 0.0)
        return scale;
    const double sign = span > 0 ? 1.0 : -1.0;
    step *= sign;
    const double tolerance = 0.001 * std::fabs(step);

    double first = (std::trunc(low / step) - 1.0) * step;
    for (int guard = 0; (low - first) * sign > tolerance && guard < kMaxTicks; ++guard)
        first += step;
    scale.step = step;
    for (int k = 0; k < kMaxTicks; ++k) {
        const double tick = first + k * step;
        if (k > 0 && (tick - high) * sign > tolerance)
            break;
        scale.ticks.push_back(tick);
    }
    return scale;
}

int resolveDecimals(int decPlace, double low, double high)
{
    if (decPlace != -2)
        return decPlace;
    const double d = std::fabs(high - low);
    if (d >= 1000000.0 || d <= 0.0001)
        return -1;
    if (d >= 100.0)
        return 0;
    return 2 - static_cast<int>(roundHalfEven(std::log(d) / 2.5));
}

std::string tickLabel(double tick, double low, double high, int decimals)
{
    const double span = high - low;
    std::string text;
    if (std::fabs(tick / span) < 1e-14 && !(std::fabs(span) > 100000.0)) {
        text = decimals == 0 ? "0" : "0.0";
    } else {
        // std::to_chars, not printf: the label must not follow the user's locale (a decimal comma).
        char buffer[400];
        const auto result =
            decimals >= 0
                ? std::to_chars(buffer, buffer + sizeof buffer, tick, std::chars_format::fixed,
                                decimals > 12 ? 12 : decimals)
                : std::to_chars(buffer, buffer + sizeof buffer, tick, std::chars_format::scientific, 3);
        text = result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("0");
        for (char& c : text)
            if (c == 'e')
                c = 'E';
        // A value that rounds to zero is written without a sign.
        if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos)
            text.erase(0, 1);
    }
    if (text.size() > kMaxLabelLength)
        text.resize(kMaxLabelLength);
    return text;
}

ScreenPoint tickPoint(ScreenPoint lowEnd, ScreenPoint highEnd, double t, double low, double high)
{
    const double share = (t - low) / (high - low);
    return {lowEnd.x + toScreen(share * (highEnd.x - lowEnd.x)),
            lowEnd.y + toScreen(share * (highEnd.y - lowEnd.y))};
}

TickPlacement placeTick(PlotAxis axis, ScreenPoint tick, int labelWidth, int zeroHeight, double viewAngleX,
                        double viewAngleZ)
{
    TickPlacement place;
    if (axis == PlotAxis::Z) {
        place.markEnd = {tick.x + kTickLength, tick.y};
        place.labelTopLeft = {place.markEnd.x + 3, tick.y - zeroHeight / 2};
        return place;
    }
    const bool down = viewAngleX <= 90.0 || (viewAngleX > 180.0 && viewAngleX <= 270.0);
    const double az = viewAngleZ * std::numbers::pi * (1.0 / 180.0);
    const int half = labelWidth / 2;
    int sign = viewAngleX <= 180.0 ? 1 : -1;
    int shift = 0;
    if (axis == PlotAxis::X) {
        if (viewAngleZ <= 90.0 || viewAngleZ > 270.0)
            sign = -sign;
        shift = sign * toScreen(std::sin(az) * half);
    } else {
        if (viewAngleZ > 180.0)
            sign = -sign;
        shift = sign * toScreen(std::cos(az) * half);
    }
    const int left = tick.x - half + shift;
    if (down) {
        place.markEnd = {tick.x, tick.y + kTickLength};
        place.labelTopLeft = {left, place.markEnd.y};
    } else {
        place.markEnd = {tick.x, tick.y - kTickLength};
        place.labelTopLeft = {left, place.markEnd.y - zeroHeight};
    }
    return place;
}

} // namespace plot3d
