#include "VisibleArea.h"

#include <cmath>
#include <utility>

namespace graph2d {

std::optional<VisibleArea> normalisedVisibleArea(double x1, double y1, double x2, double y2)
{
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return std::nullopt;
    if (x1 == x2 || y1 == y2)
        return std::nullopt;
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    // Every scale factor divides by the width and height; they must be finite too.
    if (!std::isfinite(x2 - x1) || !std::isfinite(y2 - y1))
        return std::nullopt;
    return VisibleArea{x1, y1, x2, y2};
}

} // namespace graph2d
