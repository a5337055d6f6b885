// Grid steps and grid lines of the line graph, computed without painting: the widget draws what
// these functions return.
#pragma once

#include "PixelMap.h"
#include "VisibleArea.h"

#include <string>
#include <vector>

namespace graph2d {

// Which lines the graph shows; the order of the values is the published order of the grid style.
enum class GridStyle { None, XAxis, YAxis, Axises, XGrid, YGrid, Full };

struct GridLinesShown
{
    bool xAxis = false; // the horizontal line y = 0
    bool xGrid = false; // the other horizontal lines
    bool yAxis = false; // the vertical line x = 0
    bool yGrid = false; // the other vertical lines
};

GridLinesShown gridLinesShown(GridStyle style);

// The grid step for an axis with `pixelsPerUnit` pixels per unit and labels `labelSize` pixels
// long along that axis: the smallest of 10000, 5000, 1000, 500, 100, ... whose pixel spacing still
// exceeds about one label size. A label size of 0 or less takes the spacing factor 10 instead.
double gridStep(double pixelsPerUnit, double labelSize);

// The first value of the walk: one step above y1 / step rounded towards zero when that quotient is
// positive, one step below otherwise (so it can lie outside the area and is then not drawn).
double firstGridValue(double low, double step);

struct GridLine
{
    double value = 0.0;  // the x or y value of the line
    int pixel = 0;       // the row (horizontal lines) or column (vertical lines)
    bool isAxis = false; // value 0 (|value| < 0.00001)
};

struct GridLineSet
{
    double step = 0.0; // the step used (the grid step, made coarser for more lines than pixels)
    std::vector<GridLine> lines;
};

// Horizontal lines (y = value) that fall inside the plotting rectangle, bottom first.
// `textHeight` is the height of a line of text.
GridLineSet horizontalGridLines(const PixelMap& map, double textHeight);
// Vertical lines (x = value) inside the plotting rectangle, left first. `sampleWidth` is the pixel
// width of sampleNumberText() for the area.
GridLineSet verticalGridLines(const PixelMap& map, double sampleWidth);

// The widest number expected on the x axis, used to space the vertical grid: the digit 8 repeated
// once more than the larger of round(|log10|x1||) and round(|log10|x2||) (an end near 0 counting as
// 5), then "," and "888".
std::string sampleNumberText(double x1, double x2);

// Text of an axis number at a grid value: as many decimals as the step needs, "0" for the axis.
std::string axisNumberText(double value, double step);

} // namespace graph2d
