// Axis scales of the surface plot: which box edge carries each axis, the 1-2-5 tick rule, the label
// texts and where tick marks and labels go. No Qt here.
#pragma once

#include "plot3d/PlotMath.h"
#include "plot3d/PlotTypes.h"

#include <string>
#include <vector>

namespace plot3d {

// Box corners at the low and high ends of an axis (the low end carries the range's low value).
struct AxisEdge
{
    int low = 0;
    int high = 0;
};
AxisEdge axisEdge(PlotAxis axis, const Rotation& r);

struct TickScale
{
    double step = 0;           // signed like high - low; 0 when no ticks could be formed
    std::vector<double> ticks; // first + k * step
};

// Ticks of the range low..high with at least about minTick intervals, step 1, 2 or 5 times a power of
// ten. A range that gives no usable step yields no ticks; at most kMaxTicks ticks are formed, so no
// range can make the loop run on.
constexpr int kMaxTicks = 1000;
TickScale computeTicks(double low, double high, int minTick);

// The decimals of the labels: decPlace itself, or for -2 (automatic) the count that suits the range
// (-1 meaning scientific notation).
int resolveDecimals(int decPlace, double low, double high);

// Label of a tick: fixed notation with the decimals (scientific for -1), a tick at the range's zero
// written "0" or "0.0", cut to 14 characters.
constexpr std::size_t kMaxLabelLength = 14;
std::string tickLabel(double tick, double low, double high, int decimals);

// Screen position of the tick value t on the axis drawn from lowEnd (value low) to highEnd (value high).
ScreenPoint tickPoint(ScreenPoint lowEnd, ScreenPoint highEnd, double t, double low, double high);

// Tick mark from `tick` to `markEnd` and the top-left corner of its label.
struct TickPlacement
{
    ScreenPoint markEnd;
    ScreenPoint labelTopLeft;
};
constexpr int kTickLength = 8;
TickPlacement placeTick(PlotAxis axis, ScreenPoint tick, int labelWidth, int zeroHeight, double viewAngleX,
                        double viewAngleZ);

} // namespace plot3d
