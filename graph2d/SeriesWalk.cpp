#include "SeriesWalk.h"

namespace graph2d {

std::vector<PixelPoint> joinedLineVertices(const std::vector<GraphPoint>& points, const PixelMap& map)
{
    const VisibleArea& area = map.area();
    std::vector<PixelPoint> vertices;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const GraphPoint& p = points[i];
        if (p.x < area.x1) {
            // Only the last point before the area matters: the line enters from it.
            if (i + 1 < points.size() && points[i + 1].x > area.x1) {
                vertices.clear();
                vertices.push_back(map.pixelOf(p.x, p.y));
            }
        } else if (p.x <= area.x2) {
            vertices.push_back(map.pixelOf(p.x, p.y));
        } else {
            if (!vertices.empty())
                vertices.push_back(map.pixelOf(p.x, p.y));
            break;
        }
    }
    return vertices;
}

std::vector<PixelPoint> pointPixels(const std::vector<GraphPoint>& points, const PixelMap& map)
{
    const VisibleArea& area = map.area();
    std::vector<PixelPoint> pixels;
    for (const GraphPoint& p : points) {
        if (p.x > area.x2)
            break;
        if (p.x >= area.x1)
            pixels.push_back(map.pixelOf(p.x, p.y));
    }
    return pixels;
}

} // namespace graph2d
