#include "PointSeries.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace graph2d {

PointSeries::PointSeries(std::function<void()> onChange) : onChange_(std::move(onChange)) {}

void PointSeries::addPoint(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    if (points_.size() == points_.capacity())
        points_.reserve(points_.capacity() + growthStep);

    if (points_.empty() || x > points_.back().x) {
        points_.push_back({x, y});
    } else {
        // First point whose x is not below the new x.
        auto at = std::lower_bound(points_.begin(), points_.end(), x,
                                   [](const GraphPoint& p, double value) { return p.x < value; });
        if (at->x == x)
            at->y = y;
        else
            points_.insert(at, {x, y});
    }
    notify();
}

void PointSeries::clear()
{
    points_.clear();
    notify();
}

const GraphPoint& PointSeries::point(std::size_t index) const
{
    if (index >= points_.size())
        throw std::out_of_range("point index out of range");
    return points_[index];
}

void PointSeries::setColor(ColorValue color)
{
    if (color == color_)
        return;
    color_ = color;
    notify();
}

void PointSeries::setStyle(SeriesStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    notify();
}

void PointSeries::setVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    notify();
}

void PointSeries::notify()
{
    if (onChange_)
        onChange_();
}

} // namespace graph2d
