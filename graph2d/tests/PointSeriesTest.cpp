#include "PointSeries.h"
#include "SeriesList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

using namespace graph2d;

namespace {

std::vector<double> xs(const PointSeries& s)
{
    std::vector<double> out;
    for (const GraphPoint& p : s.points())
        out.push_back(p.x);
    return out;
}

} // namespace

TEST(PointSeries, EqualXReplacesTheEarlierPointAndKeepsTheOrder)
{
    PointSeries series;
    series.addPoint(3, 10);
    series.addPoint(1, 5);
    series.addPoint(3, 7);
    ASSERT_EQ(series.count(), 2u);
    EXPECT_EQ(series.point(0).x, 1);
    EXPECT_EQ(series.point(0).y, 5);
    EXPECT_EQ(series.point(1).x, 3);
    EXPECT_EQ(series.point(1).y, 7);
}

TEST(PointSeries, InsertsInTheMiddleAtTheFrontAndReplacesTheFirstAndLast)
{
    PointSeries series;
    for (double x : {2.0, 4.0, 6.0})
        series.addPoint(x, x);
    series.addPoint(5, 50);
    series.addPoint(0, 0);
    series.addPoint(0, 1);
    series.addPoint(6, 60);
    EXPECT_EQ(xs(series), (std::vector<double>{0, 2, 4, 5, 6}));
    EXPECT_EQ(series.point(0).y, 1);
    EXPECT_EQ(series.point(3).y, 50);
    EXPECT_EQ(series.point(4).y, 60);
}

TEST(PointSeries, WritingARowAgainReplacesEveryValue)
{
    PointSeries series;
    for (int i = 0; i < 16; ++i)
        series.addPoint(i, i * 2);
    for (int i = 0; i < 8; ++i)
        series.addPoint(i, 200 - i);
    ASSERT_EQ(series.count(), 16u);
    EXPECT_EQ(series.point(7).y, 193);
    EXPECT_EQ(series.point(8).y, 16); // beyond the rewritten part: kept
}

TEST(PointSeries, EveryAddNotifiesAndAttributeChangesNotifyOnlyWhenDifferent)
{
    int notifications = 0;
    PointSeries series([&] { ++notifications; });
    series.addPoint(1, 1);
    series.addPoint(1, 1); // replacement notifies too
    EXPECT_EQ(notifications, 2);
    series.setColor(colorRed); // the default: no change
    series.setStyle(SeriesStyle::JoinedLines);
    series.setVisible(true);
    EXPECT_EQ(notifications, 2);
    series.setColor(colorBlack);
    series.setStyle(SeriesStyle::SinglePoints);
    series.setVisible(false);
    EXPECT_EQ(notifications, 5);
}

TEST(PointSeries, PointsThatCannotBePlacedAreRefusedWithoutNotification)
{
    int notifications = 0;
    PointSeries series([&] { ++notifications; });
    series.addPoint(1, 1);
    series.addPoint(std::nan(""), 2);
    series.addPoint(0.5, std::numeric_limits<double>::infinity());
    EXPECT_EQ(series.count(), 1u);
    EXPECT_EQ(notifications, 1);
}

TEST(PointSeries, StorageGrowsInBlocksAndIndexPastTheEndThrows)
{
    PointSeries series;
    series.addPoint(0, 0);
    EXPECT_GE(series.points().capacity(), PointSeries::growthStep);
    EXPECT_THROW((void)series.point(1), std::out_of_range);
}

TEST(SeriesList, AddGivesDefaultsAndChangesOfAnySeriesReachTheList)
{
    int notifications = 0;
    SeriesList list([&] { ++notifications; });
    PointSeries& first = list.add();
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(first.color(), 0x0000FFu);
    EXPECT_EQ(first.style(), SeriesStyle::JoinedLines);
    EXPECT_TRUE(first.visible());

    list.add();
    first.addPoint(1, 2); // the first series' reference is still valid after another add
    EXPECT_EQ(notifications, 3);
    EXPECT_EQ(&list.at(0), &first);
    list.remove(1);
    EXPECT_EQ(list.count(), 1u);
    EXPECT_EQ(notifications, 4);
}

TEST(SeriesList, IndexOutsideTheListThrows)
{
    SeriesList list;
    EXPECT_THROW(list.at(0), std::out_of_range);
    list.add();
    EXPECT_NO_THROW(list.at(0));
    EXPECT_THROW(list.at(1), std::out_of_range);
    EXPECT_THROW(list.remove(1), std::out_of_range);
}
