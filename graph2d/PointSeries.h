// One series of (x, y) points of the line graph. Plain object without any window: the points are kept
// sorted by ascending x with no two points of equal x, so a series behaves as a function of x and
// writing the same x again replaces the earlier y.
#pragma once

#include "GraphColors.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace graph2d {

struct GraphPoint
{
    double x = 0.0;
    double y = 0.0;
};

enum class SeriesStyle {
    JoinedLines = 0,  // the points joined by straight lines in x order
    SinglePoints = 1, // each point drawn on its own as a dot
};

class PointSeries
{
  public:
    // `onChange` is called after every change of the points or of how the series is drawn; the
    // owning series list passes its own notification here.
    explicit PointSeries(std::function<void()> onChange = {});
    PointSeries(const PointSeries&) = delete;
    PointSeries& operator=(const PointSeries&) = delete;

    // Appends when x lies right of every point, replaces the y of a point with exactly this x, and
    // inserts in x order otherwise; notifies in each of these cases. A point with a NaN or infinite
    // coordinate cannot be placed or drawn: it is refused without notification.
    void addPoint(double x, double y);
    // Removes every point (notifies).
    void clear();

    std::size_t count() const { return points_.size(); }
    // Throws std::out_of_range for an index at or past count().
    const GraphPoint& point(std::size_t index) const;
    const std::vector<GraphPoint>& points() const { return points_; }

    // Default red (0x0000FF). Setting a different value notifies.
    ColorValue color() const { return color_; }
    void setColor(ColorValue color);
    // Default joined lines. Setting a different value notifies.
    SeriesStyle style() const { return style_; }
    void setStyle(SeriesStyle style);
    // Default true. Setting a different value notifies.
    bool visible() const { return visible_; }
    void setVisible(bool visible);

    // Storage grows by this many points at a time.
    static constexpr std::size_t growthStep = 100;

  private:
    void notify();

    std::vector<GraphPoint> points_;
    ColorValue color_ = colorRed;
    SeriesStyle style_ = SeriesStyle::JoinedLines;
    bool visible_ = true;
    std::function<void()> onChange_;
};

} // namespace graph2d
