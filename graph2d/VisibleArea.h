// The rectangle of the real plane that a line graph shows: x from x1 to x2, y from y1 to y2, always
// held with x1 < x2 and y1 < y2.
#pragma once

#include <optional>

namespace graph2d {

struct VisibleArea
{
    double x1 = -5.0;
    double y1 = -5.0;
    double x2 = 5.0;
    double y2 = 5.0;

    double width() const { return x2 - x1; }
    double height() const { return y2 - y1; }
    bool operator==(const VisibleArea&) const = default;
};

// The area with reversed ends exchanged, or nothing when it cannot be shown: equal ends on either
// axis, a NaN or infinite end, or a width or height too large for a double.
std::optional<VisibleArea> normalisedVisibleArea(double x1, double y1, double x2, double y2);

} // namespace graph2d
