#include "MapTrace.h"

#include <gtest/gtest.h>

namespace consult {
namespace {

const std::vector<double> kRpm = {400, 800, 1200, 1600};
const std::vector<double> kLoad = {10, 20, 40, 80};

TEST(MapTrace, AxisPositionsFindTheBreakpointAtOrBelow)
{
    const std::vector<double> falling(kLoad.rbegin(), kLoad.rend());
    struct Case
    {
        const char* name;
        const std::vector<double>* axis;
        double value;
        int index;
        int next;
        double fraction;
    };
    const Case cases[] = {
        {"below the axis", &kRpm, 100, 0, 0, 0},
        {"on the first breakpoint", &kRpm, 400, 0, 0, 0},
        {"between", &kRpm, 1000, 1, 2, 0.5},
        {"on an inner breakpoint", &kRpm, 1200, 2, 3, 0},
        {"on the last breakpoint", &kRpm, 1600, 3, 3, 0},
        {"above the axis", &kRpm, 9000, 3, 3, 0},
        {"falling axis between", &falling, 30, 2, 1, 0.5}, // 20 at index 2, 40 at index 1
        {"falling axis below", &falling, 5, 3, 3, 0},
        {"falling axis above", &falling, 100, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const auto p = axisPosition(c.value, *c.axis);
        ASSERT_TRUE(p) << c.name;
        EXPECT_EQ(p->index, c.index) << c.name;
        EXPECT_EQ(p->next, c.next) << c.name;
        EXPECT_DOUBLE_EQ(p->fraction, c.fraction) << c.name;
    }
    EXPECT_FALSE(axisPosition(5, std::vector<double>{}));
    // A flat stretch of an axis sits on its last equal breakpoint.
    const std::vector<double> flat{10, 20, 20, 30};
    EXPECT_EQ(axisPosition(20, flat)->index, 2);
}

TEST(MapTrace, FourCellsAroundAreWeightedByCloseness)
{
    const Trace t = traceCell(1000, 30, kRpm, kLoad); // halfway in both
    ASSERT_TRUE(t.valid && t.hasLoad);
    EXPECT_EQ(t.row, 1);
    EXPECT_EQ(t.col, 1);
    double sum = 0;
    for (const CellWeight& w : t.around)
        sum += w.weight;
    EXPECT_DOUBLE_EQ(sum, 1);
    EXPECT_DOUBLE_EQ(t.around[0].weight, 0.25);

    const Trace q = traceCell(900, 35, kRpm, kLoad); // a quarter along RPM, three quarters along load
    EXPECT_EQ(q.around[0].row, 1);
    EXPECT_EQ(q.around[0].col, 1);
    EXPECT_DOUBLE_EQ(q.around[0].weight, 0.75 * 0.25);
    EXPECT_DOUBLE_EQ(q.around[1].weight, 0.75 * 0.75); // (1, 2)
    EXPECT_DOUBLE_EQ(q.around[2].weight, 0.25 * 0.25); // (2, 1)
    EXPECT_DOUBLE_EQ(q.around[3].weight, 0.25 * 0.75); // (2, 2)

    // Interpolating a map that is a plane gives the plane's value at the running point.
    const auto plane = [&](int r, int c) {
        return kRpm[static_cast<std::size_t>(r)] + 10 * kLoad[static_cast<std::size_t>(c)];
    };
    EXPECT_DOUBLE_EQ(interpolate(q, plane), 900 + 10 * 35);
    // At a breakpoint the running cell alone counts.
    EXPECT_DOUBLE_EQ(interpolate(traceCell(1200, 40, kRpm, kLoad), plane), 1200 + 400);
}

TEST(MapTrace, WithoutTpOnlyTheRowIsMarkedAndTheNoteSaysWhy)
{
    const Trace t = traceCell(1000, std::nullopt, kRpm, kLoad);
    EXPECT_TRUE(t.valid);
    EXPECT_FALSE(t.hasLoad);
    EXPECT_EQ(t.row, 1);
    EXPECT_EQ(t.col, -1);
    EXPECT_NE(t.note.find("tpram"), std::string::npos);
    EXPECT_FALSE(traceCell(1000, 30, std::vector<double>{}, kLoad).valid);

    const std::vector<double> values{1000, 30};
    EXPECT_EQ(traceFromValues(values, 0, 1, kRpm, kLoad), traceCell(1000, 30, kRpm, kLoad));
    EXPECT_FALSE(traceFromValues(values, 0, std::nullopt, kRpm, kLoad).hasLoad);
    EXPECT_FALSE(traceFromValues(values, 5, 1, kRpm, kLoad).valid);
}

TEST(MapTrace, TrailKeepsTheLastCellsNewestFirstAndFades)
{
    TraceTrail trail(4);
    for (auto [r, c] : std::vector<std::pair<int, int>>{{0, 0}, {0, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}})
        trail.add(r, c);
    const auto marks = trail.marks();
    ASSERT_EQ(marks.size(), 4u); // the repeated (0, 0) counted once, and the oldest dropped
    EXPECT_EQ(marks[0].row, 3);
    EXPECT_DOUBLE_EQ(marks[0].fade, 1.0);
    EXPECT_EQ(marks[3].row, 0);
    EXPECT_EQ(marks[3].col, 1);
    EXPECT_DOUBLE_EQ(marks[3].fade, 0.25);
    EXPECT_EQ(rpmAxisFromBytes(std::vector<std::uint8_t>{8, 140}), (std::vector<double>{400, 7000}));
}

} // namespace
} // namespace consult
