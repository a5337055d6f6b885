#include "GridLines.h"
#include "PixelMap.h"
#include "PointSeries.h"
#include "SeriesWalk.h"
#include "VisibleArea.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

using namespace graph2d;

namespace {

// The scanner's graph: 553 by 201 pixels, no numbers, a lowered frame round the plotting rectangle.
const PlotRect scannerRect{1, 1, 551, 199};

std::vector<GraphPoint> row(std::initializer_list<std::pair<double, double>> points)
{
    std::vector<GraphPoint> out;
    for (const auto& [x, y] : points)
        out.push_back({x, y});
    return out;
}

std::vector<double> values(const GridLineSet& set)
{
    std::vector<double> out;
    for (const GridLine& line : set.lines)
        out.push_back(line.value);
    return out;
}

} // namespace

TEST(VisibleArea, ReversedEndsAreExchanged)
{
    EXPECT_EQ(normalisedVisibleArea(15, 0, 0, 255), (VisibleArea{0, 0, 15, 255}));
    EXPECT_EQ(normalisedVisibleArea(1, 9, 2, -9), (VisibleArea{1, -9, 2, 9}));
}

TEST(VisibleArea, DegenerateOrNonFiniteAreasAreRefused)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(normalisedVisibleArea(3, 0, 3, 255));
    EXPECT_FALSE(normalisedVisibleArea(0, 7, 15, 7));
    EXPECT_FALSE(normalisedVisibleArea(0, 0, std::nan(""), 1));
    EXPECT_FALSE(normalisedVisibleArea(0, 0, inf, 1));
    EXPECT_FALSE(normalisedVisibleArea(-1.7e308, 0, 1.7e308, 1)); // width overflows
}

TEST(GridStep, FollowsTheOneTwoFiveSequenceDownFromTenThousand)
{
    // With a label size of 10000 the spacing factor n equals the pixels per unit.
    const std::vector<std::pair<double, double>> cases = {{1, 10000}, {2, 10000}, {3, 5000},  {10, 5000},
                                                          {11, 1000}, {21, 500},  {101, 100}, {201, 50},
                                                          {1001, 10}, {2001, 5},  {10001, 1}, {20001, 0.5}};
    for (const auto& [n, step] : cases)
        EXPECT_DOUBLE_EQ(gridStep(n, 10000), step) << "n = " << n;
    EXPECT_DOUBLE_EQ(gridStep(1e9, 0), 5000); // no label size: n = 10
}

TEST(GridStep, EndsAndStaysPositiveForAnInfiniteSpacing)
{
    const double step = gridStep(std::numeric_limits<double>::infinity(), 10);
    EXPECT_GT(step, 0.0);
}

TEST(GridLines, FirstValueLiesOneStepBeyondTheLowEnd)
{
    EXPECT_DOUBLE_EQ(firstGridValue(0, 50), -50);
    EXPECT_DOUBLE_EQ(firstGridValue(12, 5), 15);
    EXPECT_DOUBLE_EQ(firstGridValue(-7, 5), -10);
}

TEST(GridLines, ScannerRowGraphHasLinesEveryFiftyWithTheAxisAtTheBottom)
{
    const PixelMap map({0, 0, 15, 255}, scannerRect);
    const GridLineSet rows = horizontalGridLines(map, 15);
    EXPECT_DOUBLE_EQ(rows.step, 50);
    // -50 is computed first but lies below the area: not listed.
    EXPECT_EQ(values(rows), (std::vector<double>{0, 50, 100, 150, 200, 250}));
    ASSERT_EQ(rows.lines.size(), 6u);
    EXPECT_TRUE(rows.lines[0].isAxis);
    EXPECT_EQ(rows.lines[0].pixel, 199);
    EXPECT_FALSE(rows.lines[1].isAxis);
    EXPECT_EQ(rows.lines[1].pixel, 199 - 38); // trunc(50 * 198 / 255)
    EXPECT_EQ(rows.lines[5].pixel, 199 - 194);
}

TEST(GridLines, ColumnStepIsFiveForSixteenCellsAndOneForEight)
{
    const GridLineSet sixteen = verticalGridLines(PixelMap({0, 0, 15, 255}, scannerRect), 60);
    EXPECT_DOUBLE_EQ(sixteen.step, 5);
    EXPECT_EQ(values(sixteen), (std::vector<double>{0, 5, 10, 15}));
    EXPECT_EQ(sixteen.lines.front().pixel, 1);
    EXPECT_EQ(sixteen.lines[1].pixel, 1 + 183);

    const GridLineSet eight = verticalGridLines(PixelMap({0, 0, 7, 255}, scannerRect), 60);
    EXPECT_DOUBLE_EQ(eight.step, 1);
    EXPECT_EQ(eight.lines.size(), 8u);
}

TEST(GridLines, AWideAreaGivesNoMoreLinesThanPixels)
{
    const GridLineSet rows = horizontalGridLines(PixelMap({0, 0, 1, 1e12}, scannerRect), 15);
    EXPECT_LE(rows.lines.size(), 199u); // rows 1..199
    EXPECT_FALSE(rows.lines.empty());
}

TEST(GridLines, StylesShowAxesAndGridLinesAsPublished)
{
    const GridLinesShown full = gridLinesShown(GridStyle::Full);
    EXPECT_TRUE(full.xAxis && full.xGrid && full.yAxis && full.yGrid);
    const GridLinesShown axes = gridLinesShown(GridStyle::Axises);
    EXPECT_TRUE(axes.xAxis && axes.yAxis && !axes.xGrid && !axes.yGrid);
    const GridLinesShown xGrid = gridLinesShown(GridStyle::XGrid);
    EXPECT_TRUE(xGrid.xAxis && xGrid.xGrid && !xGrid.yAxis && !xGrid.yGrid);
    const GridLinesShown yAxis = gridLinesShown(GridStyle::YAxis);
    EXPECT_TRUE(!yAxis.xAxis && !yAxis.xGrid && yAxis.yAxis && !yAxis.yGrid);
    const GridLinesShown none = gridLinesShown(GridStyle::None);
    EXPECT_FALSE(none.xAxis || none.xGrid || none.yAxis || none.yGrid);
}

TEST(GridLines, SampleNumberHasOneDigitMoreThanTheLargerEnd)
{
    EXPECT_EQ(sampleNumberText(0, 15), "888888,888"); // an end at 0 counts as 5
    EXPECT_EQ(sampleNumberText(-5, 5), "88,888");
    EXPECT_EQ(sampleNumberText(0.001, 1000), "8888,888");
}

TEST(GridLines, AxisNumbersCarryTheDecimalsOfTheStep)
{
    EXPECT_EQ(axisNumberText(1e-9, 50), "0");
    EXPECT_EQ(axisNumberText(250, 50), "250");
    EXPECT_EQ(axisNumberText(0.5, 0.5), "0.5");
    EXPECT_EQ(axisNumberText(-0.15, 0.05), "-0.15");
}

TEST(PixelMap, RoundsHalvesToEvenAndInvertsTheMapping)
{
    const PixelMap map({0, 0, 4, 4}, PlotRect{0, 0, 2, 2});
    EXPECT_EQ(map.columnOf(1), 0); // 0.5 -> 0
    EXPECT_EQ(map.columnOf(3), 2); // 1.5 -> 2
    EXPECT_EQ(map.rowOf(1), 2);
    const PixelMap scanner({0, 0, 15, 255}, scannerRect);
    EXPECT_EQ(scanner.pixelOf(0, 0), (PixelPoint{1, 199}));
    EXPECT_EQ(scanner.pixelOf(15, 255), (PixelPoint{551, 1}));
    EXPECT_DOUBLE_EQ(scanner.yAtRow(199), 0);
    EXPECT_DOUBLE_EQ(scanner.xAtColumn(551), 15);
}

TEST(PixelMap, FarPointsAreClampedInsteadOfOverflowing)
{
    const PixelMap map({0, 0, 15, 255}, scannerRect);
    const PixelPoint far = map.pixelOf(1e300, -1e300);
    EXPECT_EQ(far.x, 1 + static_cast<int>(PixelMap::pixelLimit));
    EXPECT_EQ(far.y, 199 + static_cast<int>(PixelMap::pixelLimit));
}

TEST(SeriesWalk, ARowInsideTheAreaIsOnePolylineThroughEveryPoint)
{
    std::vector<GraphPoint> points;
    for (int i = 0; i < 16; ++i)
        points.push_back({double(i), double(i * 17)});
    const PixelMap map({0, 0, 15, 255}, scannerRect);
    const std::vector<PixelPoint> vertices = joinedLineVertices(points, map);
    ASSERT_EQ(vertices.size(), 16u);
    EXPECT_EQ(vertices.front(), (PixelPoint{1, 199}));
    EXPECT_EQ(vertices.back(), (PixelPoint{551, 1}));
}

TEST(SeriesWalk, LineEntersFromTheLastPointLeftOfTheArea)
{
    const PixelMap map({0, 0, 15, 255}, scannerRect);
    const auto vertices = joinedLineVertices(row({{-2, 0}, {-1, 0}, {3, 0}, {5, 0}}), map);
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_EQ(vertices[0].x, 1 - 37); // round(-36.67)
    EXPECT_EQ(vertices[1].x, map.columnOf(3));
}

TEST(SeriesWalk, LineEndsAtTheFirstPointPastTheRightEdge)
{
    // After a change from 16 to 8 cells the points 8..15 stay in the series.
    std::vector<GraphPoint> points;
    for (int i = 0; i < 16; ++i)
        points.push_back({double(i), 100});
    const PixelMap map({0, 0, 7, 255}, scannerRect);
    const std::vector<PixelPoint> vertices = joinedLineVertices(points, map);
    ASSERT_EQ(vertices.size(), 9u);
    EXPECT_EQ(vertices.back().x, 1 + 629); // round(8 * 550 / 7) = 629
    EXPECT_EQ(vertices[7].x, 551);
}

TEST(SeriesWalk, OnePointInRangeIsASinglePixelAndNothingInRangeDrawsNothing)
{
    const PixelMap map({0, 0, 15, 255}, scannerRect);
    EXPECT_EQ(joinedLineVertices(row({{4, 10}}), map).size(), 1u);
    EXPECT_TRUE(joinedLineVertices(row({{-3, 10}}), map).empty());
    EXPECT_TRUE(joinedLineVertices(row({{16, 10}, {20, 1}}), map).empty());
    EXPECT_TRUE(joinedLineVertices({}, map).empty());
    // A segment that crosses the whole area is still drawn.
    EXPECT_EQ(joinedLineVertices(row({{-3, 10}, {30, 10}}), map).size(), 2u);
}

TEST(SeriesWalk, SinglePointsKeepOnlyThoseInTheArea)
{
    const PixelMap map({0, 0, 7, 255}, scannerRect);
    const auto pixels = pointPixels(row({{-1, 0}, {0, 0}, {7, 255}, {8, 0}}), map);
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(pixels[0], (PixelPoint{1, 199}));
    EXPECT_EQ(pixels[1], (PixelPoint{551, 1}));
}
