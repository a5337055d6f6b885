// What a point series draws inside the visible area, as pixels of the plotting rectangle.
#pragma once

#include "PixelMap.h"
#include "PointSeries.h"

#include <vector>

namespace graph2d {

// The vertices of the one polyline that joins the points (sorted by x) in the visible area:
// - a point left of x1 only sets the pen, and only when the next point lies right of x1, so the line
//   enters from the left edge;
// - points from x1 to x2 are joined in order;
// - the first point right of x2 ends the walk; the line goes on to it when the pen was set before.
// One vertex means a single pixel; no vertex means nothing to draw.
std::vector<PixelPoint> joinedLineVertices(const std::vector<GraphPoint>& points, const PixelMap& map);

// The pixels of the points from x1 to x2 (for single-point drawing).
std::vector<PixelPoint> pointPixels(const std::vector<GraphPoint>& points, const PixelMap& map);

} // namespace graph2d
