#include "plot3d/AxisScale.h"
#include "plot3d/MatrixStorage.h"
#include "plot3d/PlotMath.h"
#include "plot3d/SceneRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace plot3d;

namespace {

constexpr double kScannerAx = 60.0;
constexpr double kScannerAz = 15.0;

TEST(Plot3dMatrixStorage, ReadsOutsideGiveZeroAndWritesOutsideAreDropped)
{
    MatrixStorage<double> m;
    EXPECT_EQ(m.columns(), 1);
    EXPECT_EQ(m.rows(), 1);
    EXPECT_EQ(m.at(1, 1), 0.0);
    ASSERT_EQ(m.resize(3, 2), MatrixStorage<double>::ResizeResult::Resized);
    EXPECT_TRUE(m.set(3, 2, 7.5));
    EXPECT_FALSE(m.set(0, 1, 1.0));
    EXPECT_FALSE(m.set(4, 1, 1.0));
    EXPECT_FALSE(m.set(1, 3, 1.0));
    EXPECT_EQ(m.at(3, 2), 7.5);
    EXPECT_EQ(m.at(4, 2), 0.0);
    EXPECT_EQ(m.at(3, 0), 0.0);
    EXPECT_EQ(m.at(-1, -1), 0.0);
    // Stored row by row: (c, r) at (r - 1) * columns + c - 1.
    EXPECT_EQ(m.values()[5], 7.5);
}

TEST(Plot3dMatrixStorage, ResizeKeepsCommonElementsAndZeroesNewOnes)
{
    MatrixStorage<std::int32_t> m;
    m.resize(4, 4);
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            m.set(c, r, 10 * r + c);
    ASSERT_EQ(m.resize(2, 6), MatrixStorage<std::int32_t>::ResizeResult::Resized);
    EXPECT_EQ(m.at(1, 1), 11);
    EXPECT_EQ(m.at(2, 4), 42);
    EXPECT_EQ(m.at(2, 5), 0);
    EXPECT_EQ(m.at(3, 1), 0); // cut off
    EXPECT_EQ(m.resize(2, 6), MatrixStorage<std::int32_t>::ResizeResult::Unchanged);
    EXPECT_EQ(m.resize(0, 6), MatrixStorage<std::int32_t>::ResizeResult::Refused);
    EXPECT_EQ(m.resize(3, -1), MatrixStorage<std::int32_t>::ResizeResult::Refused);
    EXPECT_EQ(m.columns(), 2);
    EXPECT_EQ(m.at(2, 4), 42);
}

TEST(Plot3dViewRotation, ScannerViewMatrixAndTinyEntriesCut)
{
    const Rotation r = viewRotation(kScannerAx, kScannerAz);
    const double s15 = std::sin(15 * M_PI / 180), c15 = std::cos(15 * M_PI / 180);
    const double s60 = std::sin(60 * M_PI / 180);
    EXPECT_DOUBLE_EQ(r.m[0][0], c15);
    EXPECT_DOUBLE_EQ(r.m[0][1], -s15);
    EXPECT_EQ(r.m[0][2], 0.0);
    EXPECT_NEAR(r.m[1][0], s15 * 0.5, 1e-12);
    EXPECT_NEAR(r.m[1][2], -s60, 1e-12);
    EXPECT_NEAR(r.m[2][1], c15 * s60, 1e-12);
    EXPECT_NEAR(r.m[2][2], 0.5, 1e-12);

    // At 90 degrees the cosine is about 6e-17: it must be exactly 0, not a tiny leftover.
    const Rotation side = viewRotation(90.0, 90.0);
    EXPECT_EQ(side.m[0][0], 0.0);
    EXPECT_EQ(side.m[2][2], 0.0);
    EXPECT_EQ(side.m[1][1], 0.0);
    EXPECT_EQ(side.m[2][0], 1.0);
}

TEST(Plot3dViewAngles, PropertyWritesWrapIntoOneTurn)
{
    EXPECT_DOUBLE_EQ(wrapViewAngle(370.0), 10.0);
    EXPECT_DOUBLE_EQ(wrapViewAngle(-30.0), 330.0);
    EXPECT_DOUBLE_EQ(wrapViewAngle(360.0), 0.0);
    EXPECT_DOUBLE_EQ(wrapViewAngle(725.0), 5.0);
    EXPECT_DOUBLE_EQ(wrapViewAngle(-390.0), 330.0);
    EXPECT_DOUBLE_EQ(wrapViewAngle(359.5), 359.5);
    // Mouse turns only step back by one turn, so exactly 360 stays.
    EXPECT_DOUBLE_EQ(wrapTurnedAngle(360.0), 360.0);
    EXPECT_DOUBLE_EQ(wrapTurnedAngle(375.0), 15.0);
    EXPECT_DOUBLE_EQ(wrapTurnedAngle(-345.0), 15.0);
}

TEST(Plot3dViewAngles, MagnificationIsHeldBetweenLimits)
{
    EXPECT_DOUBLE_EQ(clampMagnification(5.0), 3.0);
    EXPECT_DOUBLE_EQ(clampMagnification(0.0), 0.001);
    EXPECT_DOUBLE_EQ(clampMagnification(0.8), 0.8);
}

TEST(Plot3dBoxGeometry, CornersTablesAndNearCornerAtScannerView)
{
    EXPECT_EQ(boxCorner(0).x, -150);
    EXPECT_EQ(boxCorner(3).y, 150);
    EXPECT_EQ(boxCorner(3).z, 150);
    EXPECT_EQ(boxCorner(4).x, 150);
    EXPECT_EQ(boxCorner(4).z, -150);
    // Every neighbour differs in one coordinate, and the partner tables flip one.
    for (int c = 0; c < 8; ++c) {
        for (int n : kCornerNeighbours[static_cast<std::size_t>(c)])
            EXPECT_EQ(__builtin_popcount(static_cast<unsigned>(c ^ n)), 1) << c << " " << n;
        EXPECT_EQ(boxCorner(kZPartner[static_cast<std::size_t>(c)]).z, -boxCorner(c).z);
        EXPECT_EQ(boxCorner(kYPartner[static_cast<std::size_t>(c)]).y, -boxCorner(c).y);
        EXPECT_EQ(boxCorner(kXPartner[static_cast<std::size_t>(c)]).x, -boxCorner(c).x);
        // The faces through a corner contain it.
        for (int f : kCornerFaces[static_cast<std::size_t>(c)]) {
            const auto& corners = kFaceCorners[static_cast<std::size_t>(f)];
            EXPECT_NE(std::find(corners.begin(), corners.end(), c), corners.end()) << c << " " << f;
        }
    }
    const Rotation r = viewRotation(kScannerAx, kScannerAz);
    EXPECT_EQ(farCorner(r), 0);
    EXPECT_EQ(nearCorner(r), 7);
    // Looking from the other side the near corner moves to the front-left-low side.
    const Rotation back = viewRotation(60.0, 200.0);
    EXPECT_EQ(nearCorner(back), 7 - farCorner(back));
    EXPECT_EQ(nearCorner(back), 1);
}

TEST(Plot3dBoxGeometry, WallShadeFollowsTheFaceNormal)
{
    const Rotation r = viewRotation(kScannerAx, kScannerAz);
    EXPECT_EQ(faceShade(r, 0), 100); // top: 4 * cos 60
    EXPECT_EQ(faceShade(r, 4), 45);  // x = +
    EXPECT_EQ(faceShade(r, 1), 167); // y = +
    EXPECT_EQ(shadeColor(0xC0C0C0, 0xFEEEEE, 100), colors::rgb(215, 215, 223));
    EXPECT_EQ(shadeColor(0xC0C0C0, 0xFEEEEE, 0), 0xC0C0C0u);
    EXPECT_EQ(shadeColor(0xC0C0C0, 0xFEEEEE, 200), 0xFEEEEEu);
    // A falling component truncates toward zero: 200 + (100 - 200) * 3 / 200 = 199 (not 198).
    EXPECT_EQ(colors::redOf(shadeColor(colors::rgb(200, 0, 0), colors::rgb(100, 0, 0), 3)), 199);
}

TEST(Plot3dProjection, ModelCoordinatesZMapAndHalvesToEven)
{
    EXPECT_DOUBLE_EQ(gridCoordinate(1, 16), -150.0);
    EXPECT_DOUBLE_EQ(gridCoordinate(16, 16), 150.0);
    EXPECT_DOUBLE_EQ(gridCoordinate(8, 15), 0.0);
    EXPECT_DOUBLE_EQ(gridCoordinate(1, 1), 0.0);
    EXPECT_DOUBLE_EQ(gridOffset(1, 16), -7.5);

    const ZMap z = zMap(0.0, 255.0);
    EXPECT_DOUBLE_EQ(z(0.0), -150.0);
    EXPECT_DOUBLE_EQ(z(255.0), 150.0);
    EXPECT_NEAR(z(127.5), 0.0, 1e-12);

    Projection p;
    p.centX = 10;
    p.centY = 20;
    p.magnification = 0.5;
    EXPECT_EQ(p.project({5, 0, 0}), (ScreenPoint{12, 20}));  // 12.5 -> 12
    EXPECT_EQ(p.project({7, 0, 0}), (ScreenPoint{14, 20}));  // 13.5 -> 14
    EXPECT_EQ(p.project({0, -3, 0}), (ScreenPoint{10, 18})); // 18.5 -> 18
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    // Values far outside the range stay drawable numbers.
    EXPECT_EQ(toScreen(1e300), 100000000);
    EXPECT_EQ(toScreen(std::nan("")), 0);
}

TEST(Plot3dCellOrder, FourQuadrantsOfTheView)
{
    const CellOrder scanner = cellOrder(60.0, 15.0);
    EXPECT_TRUE(scanner.rowsAscending);
    EXPECT_TRUE(scanner.columnsAscending);
    const CellOrder turned = cellOrder(60.0, 200.0);
    EXPECT_FALSE(turned.rowsAscending);
    EXPECT_FALSE(turned.columnsAscending);
    const CellOrder side = cellOrder(60.0, 100.0);
    EXPECT_FALSE(side.rowsAscending);
    EXPECT_TRUE(side.columnsAscending);
    const CellOrder under = cellOrder(270.0, 15.0);
    EXPECT_FALSE(under.rowsAscending);
    EXPECT_FALSE(under.columnsAscending);
    const CellOrder underTurned = cellOrder(270.0, 200.0);
    EXPECT_TRUE(underTurned.rowsAscending);
    EXPECT_TRUE(underTurned.columnsAscending);
}

TEST(Plot3dCellOrder, SequenceRunsRowsOutsideColumnsInside)
{
    const auto up = cellSequence(3, 3, {true, true});
    ASSERT_EQ(up.size(), 4u);
    EXPECT_EQ(up[0], (std::array<int, 2>{1, 1}));
    EXPECT_EQ(up[1], (std::array<int, 2>{2, 1}));
    EXPECT_EQ(up[2], (std::array<int, 2>{1, 2}));
    const auto down = cellSequence(3, 4, {false, false});
    ASSERT_EQ(down.size(), 6u);
    EXPECT_EQ(down.front(), (std::array<int, 2>{2, 3}));
    EXPECT_EQ(down.back(), (std::array<int, 2>{1, 1}));
    EXPECT_TRUE(cellSequence(1, 16, {true, true}).empty());
    EXPECT_TRUE(cellSequence(16, 1, {true, true}).empty());
}

TEST(Plot3dColorCoding, ThreeColoursWithTheScannerScale)
{
    ColorCoding coding{10.0, 17.0, true, colors::clYellow, colors::clLime, colors::clRed};
    EXPECT_EQ(coding(13.5), colors::clLime);
    EXPECT_EQ(coding(6.0), colors::clYellow);
    EXPECT_EQ(coding(10.0), colors::clYellow);
    EXPECT_EQ(coding(17.0), colors::clRed);
    EXPECT_EQ(coding(99.0), colors::clRed);
    EXPECT_EQ(coding(std::nan("")), colors::clYellow);
    // A quarter of the way: half from yellow to lime, red component 127.5 rounds to even 128.
    EXPECT_EQ(coding(11.75), colors::rgb(128, 255, 0));
}

TEST(Plot3dColorCoding, TwoColoursRunFromLowToHigh)
{
    ColorCoding coding{0.0, 100.0, false, colors::clBlack, 0, colors::rgb(200, 100, 2)};
    EXPECT_EQ(coding(0.0), colors::clBlack);
    EXPECT_EQ(coding(100.0), colors::rgb(200, 100, 2));
    EXPECT_EQ(coding(25.0), colors::rgb(50, 25, 0));  // 0.5 rounds to even 0
    EXPECT_EQ(coding(75.0), colors::rgb(150, 75, 2)); // 1.5 rounds to even 2
}

TEST(Plot3dAxisTicks, OneTwoFiveRule)
{
    const TickScale raw = computeTicks(0.0, 255.0, 3);
    EXPECT_DOUBLE_EQ(raw.step, 50.0);
    EXPECT_EQ(raw.ticks, (std::vector<double>{0, 50, 100, 150, 200, 250}));

    const TickScale afr = computeTicks(14.0, 15.0, 3);
    EXPECT_NEAR(afr.step, 0.2, 1e-12);
    ASSERT_EQ(afr.ticks.size(), 6u);
    EXPECT_NEAR(afr.ticks.front(), 14.0, 1e-9);
    EXPECT_NEAR(afr.ticks.back(), 15.0, 1e-9);

    const TickScale design = computeTicks(-1.0, 60.0, 3); // d = 20.33: step 20
    EXPECT_DOUBLE_EQ(design.step, 20.0);
    EXPECT_EQ(design.ticks, (std::vector<double>{0, 20, 40, 60}));

    const TickScale falling = computeTicks(10.0, 0.0, 2); // d = 5: step -5
    EXPECT_DOUBLE_EQ(falling.step, -5.0);
    EXPECT_EQ(falling.ticks, (std::vector<double>{10, 5, 0}));

    const TickScale negative = computeTicks(-7.0, 3.0, 4); // d = 2.5: step 2, first tick -6
    EXPECT_EQ(negative.ticks, (std::vector<double>{-6, -4, -2, 0, 2}));
}

TEST(Plot3dAxisTicks, RangesBeyondPrecisionEndInsteadOfLooping)
{
    const TickScale huge = computeTicks(1e17, 1e17 + 64.0, 20);
    EXPECT_LE(huge.ticks.size(), static_cast<std::size_t>(kMaxTicks));
    EXPECT_TRUE(computeTicks(1.0, 1.0, 3).ticks.empty());
    EXPECT_TRUE(computeTicks(-1e308, 1e308, 3).ticks.empty());
}

TEST(Plot3dAxisLabels, DecimalsZeroTicksAndCut)
{
    EXPECT_EQ(tickLabel(50.0, 0.0, 255.0, 1), "50.0");
    EXPECT_EQ(tickLabel(0.0, 0.0, 255.0, 1), "0.0");
    EXPECT_EQ(tickLabel(0.0, 0.0, 255.0, 0), "0");
    EXPECT_EQ(tickLabel(1e-17, 0.0, 255.0, 3), "0.0");
    EXPECT_EQ(tickLabel(0.0, 0.0, 255.0, 3), "0.0");
    // A huge range writes a zero tick as any other value.
    EXPECT_EQ(tickLabel(0.0, -200000.0, 200000.0, 2), "0.00");
    EXPECT_EQ(tickLabel(14.000000000000002, 14.0, 15.0, 1), "14.0");
    EXPECT_EQ(tickLabel(-0.01, -1.0, 1.0, 1), "0.0");
    EXPECT_EQ(tickLabel(-6.0, -7.0, 3.0, 2), "-6.00");
    EXPECT_EQ(tickLabel(123456.0, 0.0, 1e6, 12).size(), kMaxLabelLength);
    EXPECT_EQ(tickLabel(123456.0, 0.0, 1e6, 12), "123456.0000000");
    EXPECT_EQ(tickLabel(2500000.0, 0.0, 5e6, -1), "2.500E+06");

    EXPECT_EQ(resolveDecimals(1, 0, 1), 1);
    EXPECT_EQ(resolveDecimals(-2, 0.0, 255.0), 0);
    EXPECT_EQ(resolveDecimals(-2, 14.0, 15.0), 2); // ln 1 = 0
    EXPECT_EQ(resolveDecimals(-2, 0.0, 50.0), 0);  // 2 - round(1.56)
    EXPECT_EQ(resolveDecimals(-2, 0.0, 0.01), 4);  // 2 - round(-1.84)
    EXPECT_EQ(resolveDecimals(-2, 0.0, 2e6), -1);
    EXPECT_EQ(resolveDecimals(-2, 0.0, 0.00005), -1);
}

TEST(Plot3dAxisPlacement, EdgesAndTickMarks)
{
    const Rotation r = viewRotation(kScannerAx, kScannerAz);
    const AxisEdge z = axisEdge(PlotAxis::Z, r);
    EXPECT_EQ(z.low, 4); // (+, -, -): furthest right at this turn, z = -
    EXPECT_EQ(z.high, 5);
    const AxisEdge x = axisEdge(PlotAxis::X, r);
    EXPECT_EQ(x.low, 2); // z partner of corner 7 is 6, its x partner 2; swapped so x rises
    EXPECT_EQ(x.high, 6);
    const AxisEdge y = axisEdge(PlotAxis::Y, r);
    EXPECT_EQ(y.low, 4);
    EXPECT_EQ(y.high, 6);

    EXPECT_EQ(tickPoint({0, 100}, {0, 0}, 127.5, 0.0, 255.0), (ScreenPoint{0, 50}));
    EXPECT_EQ(tickPoint({0, 100}, {0, 0}, 25.5, 0.0, 255.0), (ScreenPoint{0, 90}));

    const TickPlacement zTick = placeTick(PlotAxis::Z, {100, 50}, 30, 13, 60, 15);
    EXPECT_EQ(zTick.markEnd, (ScreenPoint{108, 50}));
    EXPECT_EQ(zTick.labelTopLeft, (ScreenPoint{111, 44}));

    // X axis at the scanner's view: mark down, label below, shifted left by round(sin 15 * 10) = 3.
    const TickPlacement xTick = placeTick(PlotAxis::X, {100, 50}, 20, 13, 60, 15);
    EXPECT_EQ(xTick.markEnd, (ScreenPoint{100, 58}));
    EXPECT_EQ(xTick.labelTopLeft, (ScreenPoint{87, 58}));
    // Y axis there: shifted right by round(cos 15 * 10) = 10.
    EXPECT_EQ(placeTick(PlotAxis::Y, {100, 50}, 20, 13, 60, 15).labelTopLeft, (ScreenPoint{100, 58}));
    // Tilted past 90: mark up, label above by the text height.
    const TickPlacement up = placeTick(PlotAxis::X, {100, 50}, 20, 13, 120, 15);
    EXPECT_EQ(up.markEnd, (ScreenPoint{100, 42}));
    EXPECT_EQ(up.labelTopLeft.y, 29);
}

TEST(Plot3dFrameLines, SixStyles)
{
    EXPECT_TRUE(frameLines(fsNone, 10, 8).empty());
    const auto simple = frameLines(fsSimple, 10, 8);
    ASSERT_EQ(simple.size(), 1u);
    EXPECT_EQ(simple[0].ink, FrameInk::Frame);
    EXPECT_EQ(simple[0].points[2], (ScreenPoint{9, 7}));

    const auto lowered = frameLines(fsLowered, 10, 8);
    ASSERT_EQ(lowered.size(), 3u);
    EXPECT_EQ(lowered[0].ink, FrameInk::Shadow);
    EXPECT_EQ(lowered[0].points[2], (ScreenPoint{8, 6}));
    EXPECT_EQ(lowered[1].ink, FrameInk::Dark);
    EXPECT_EQ(lowered[1].points, (std::vector<ScreenPoint>{{1, 5}, {1, 1}, {8, 1}}));
    EXPECT_EQ(lowered[2].ink, FrameInk::Highlight);
    EXPECT_EQ(lowered[2].points, (std::vector<ScreenPoint>{{1, 7}, {9, 7}, {9, 0}}));

    const auto raised = frameLines(fsRaised, 10, 8);
    EXPECT_EQ(raised[1].ink, FrameInk::Highlight);
    EXPECT_EQ(raised[2].ink, FrameInk::Dark);
    EXPECT_EQ(raised[1].points, lowered[1].points);

    const auto embossed = frameLines(fsEmbossed, 10, 8);
    ASSERT_EQ(embossed.size(), 2u);
    EXPECT_EQ(embossed[0].ink, FrameInk::Shadow);
    EXPECT_EQ(embossed[0].points[0], (ScreenPoint{1, 1}));
    EXPECT_EQ(embossed[1].ink, FrameInk::Highlight);
    const auto engraved = frameLines(fsEngraved, 10, 8);
    EXPECT_EQ(engraved[0].ink, FrameInk::Highlight);
    EXPECT_EQ(engraved[1].ink, FrameInk::Shadow);
    EXPECT_EQ(engraved[1].points[2], (ScreenPoint{8, 6}));
}

TEST(Plot3dHitSearch, NearestDeepestPointWithinRadiusOfFilledPart)
{
    MatrixStorage<std::int32_t> hx, hy, hd;
    for (auto* m : {&hx, &hy, &hd})
        m->resize(3, 3);
    // Two points at the same place, the second nearer to the viewer.
    hx.set(1, 1, 100), hy.set(1, 1, 100), hd.set(1, 1, -1);
    hx.set(2, 1, 102), hy.set(2, 1, 101), hd.set(2, 1, 3);
    hx.set(1, 2, 200), hy.set(1, 2, 200), hd.set(1, 2, 9);
    hx.set(2, 2, 300), hy.set(2, 2, 300), hd.set(2, 2, 0);
    const HitExtent extent{2, 2};
    auto hit = findGridPoint(hx, hy, hd, extent, 101, 100, 1.0);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->column, 2);
    EXPECT_EQ(hit->row, 1);
    // Radius squared round(300 * 0.01) = 3: (102, 101) from (100, 100) is 5 away, (100, 100) is 1 away.
    hit = findGridPoint(hx, hy, hd, extent, 100, 101, 0.01);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->column, 1);
    EXPECT_FALSE(findGridPoint(hx, hy, hd, extent, 400, 400, 1.0));
    // Equal depths: the nearer point wins, wherever it lies in the search order.
    hd.set(2, 1, -1);
    hit = findGridPoint(hx, hy, hd, extent, 102, 101, 1.0);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->column, 2);
    // Points the last drawing did not fill (row and column 3, all zero) are never reported.
    EXPECT_FALSE(findGridPoint(hx, hy, hd, extent, 0, 0, 3.0));
    EXPECT_FALSE(findGridPoint(hx, hy, hd, HitExtent{}, 100, 100, 3.0));
}

PlotSettings scannerSettings()
{
    PlotSettings s;
    s.centX = 270;
    s.centY = 190;
    s.magnification = 0.8;
    s.mouseAction = maRotAndZoom;
    return s;
}

TEST(Plot3dMouseDrag, LeftTurnsRightZoomsPanShifts)
{
    PlotSettings s = scannerSettings();
    const MouseAnchor anchor = makeAnchor(s, {545, 200});
    DragResult d = applyDrag(s, anchor, true, false, 0, 200, 545, 385);
    EXPECT_TRUE(d.turned);
    EXPECT_DOUBLE_EQ(s.viewAngleZ, 15.0); // 15 + 360, one turn back
    EXPECT_DOUBLE_EQ(s.viewAngleX, 60.0);

    s = scannerSettings();
    s.viewAngleZ = 0;
    applyDrag(s, makeAnchor(s, {545, 200}), true, false, 0, 200, 545, 385);
    EXPECT_DOUBLE_EQ(s.viewAngleZ, 360.0);

    s = scannerSettings();
    d = applyDrag(s, makeAnchor(s, {10, 385}), false, true, 10, 0, 545, 385);
    EXPECT_FALSE(d.turned);
    EXPECT_NEAR(s.magnification, 0.8 + 2.999 / 2, 1e-12);
    s.magnification = 2.0;
    applyDrag(s, makeAnchor(s, {10, 385}), false, true, 10, 0, 545, 385);
    EXPECT_DOUBLE_EQ(s.magnification, 3.0);

    s = scannerSettings();
    s.mouseAction = maPan;
    applyDrag(s, makeAnchor(s, {100, 100}), true, false, 130, 90, 545, 385);
    EXPECT_EQ(s.centX, 300);
    EXPECT_EQ(s.centY, 180);

    s = scannerSettings();
    s.mouseAction = maRotXOnly;
    applyDrag(s, makeAnchor(s, {100, 100}), true, false, 300, 177, 545, 385);
    EXPECT_DOUBLE_EQ(s.viewAngleX, 60.0 + 77.0 * 360 / 385);
    EXPECT_DOUBLE_EQ(s.viewAngleZ, 15.0);

    // Outside the control, or with maNone, nothing changes.
    s = scannerSettings();
    EXPECT_FALSE(applyDrag(s, makeAnchor(s, {100, 100}), true, false, 546, 100, 545, 385).changed);
    s.mouseAction = maNone;
    EXPECT_FALSE(applyDrag(s, makeAnchor(s, {100, 100}), true, true, 10, 10, 545, 385).changed);
}

// Records what the renderer draws, in order.
class RecordingCanvas : public SceneCanvas
{
  public:
    std::vector<std::string> calls;
    std::vector<std::array<int, 2>> cells;
    std::vector<std::string> labels;
    std::vector<ColorValue> fills;

    ColorValue resolve(ColorValue color) override { return color & 0xFFFFFF; }
    void polygon(const std::array<ScreenPoint, 4>&, std::optional<ColorValue> fill, ColorValue) override
    {
        calls.push_back(fill ? "fill" : "outline");
        if (fill)
            fills.push_back(*fill);
    }
    void line(ScreenPoint, ScreenPoint, ColorValue color) override
    {
        calls.push_back("line" + std::to_string(color));
    }
    bool beforeCell(int column, int row, double, ColorValue&, const std::array<ScreenPoint, 4>&) override
    {
        cells.push_back({column, row});
        calls.push_back("cell");
        return true;
    }
    int textWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
    int zeroHeight() override { return 12; }
    void text(ScreenPoint, const std::string& text, ColorValue) override
    {
        labels.push_back(text);
        calls.push_back("text");
    }
};

struct SceneFixture
{
    PlotSettings settings = scannerSettings();
    Rotation rotation = viewRotation(60, 15);
    MatrixStorage<double> data;
    MatrixStorage<std::int32_t> hx, hy, hd;

    HitExtent render(RecordingCanvas& canvas)
    {
        for (auto* m : {&hx, &hy, &hd})
            m->resize(data.columns(), data.rows());
        SceneRenderer renderer(settings, rotation, data);
        return renderer.draw(canvas, {hx, hy, hd});
    }
};

TEST(Plot3dScene, DrawsWallsHiddenEdgesSurfaceFrontEdgesAxesInOrder)
{
    SceneFixture f;
    f.settings.visibleXCoords = false;
    f.settings.visibleYCoords = false;
    f.settings.rangeZLow = 0;
    f.settings.rangeZHigh = 255;
    f.settings.decPlaceZ = 1;
    f.data.resize(4, 3);
    RecordingCanvas canvas;
    const HitExtent extent = f.render(canvas);
    EXPECT_EQ(extent.columns, 3);
    EXPECT_EQ(extent.rows, 2);

    const std::string hidden = "line" + std::to_string(0xB0B0B0);
    const std::string front = "line" + std::to_string(0x404040);
    const std::string axis = "line" + std::to_string(0);
    std::vector<std::string> expected{"fill", "fill", "fill", hidden, hidden, hidden};
    for (int i = 0; i < 6; ++i) {
        expected.push_back("cell");
        expected.push_back("fill");
    }
    expected.insert(expected.end(), {front, front, front, axis});
    for (int i = 0; i < 6; ++i) { // ticks 0, 50, ..., 250
        expected.push_back(axis);
        expected.push_back("text");
    }
    EXPECT_EQ(canvas.calls, expected);
    EXPECT_EQ(canvas.labels, (std::vector<std::string>{"0.0", "50.0", "100.0", "150.0", "200.0", "250.0"}));
    EXPECT_EQ(canvas.cells.front(), (std::array<int, 2>{1, 1}));
    EXPECT_EQ(canvas.cells.back(), (std::array<int, 2>{3, 2}));
    // Wall shades through the near corner 7: top, x = + and y = + faces.
    EXPECT_EQ(canvas.fills[0], shadeColor(0xC0C0C0, 0xFEEEEE, 100));
    EXPECT_EQ(canvas.fills[1], shadeColor(0xC0C0C0, 0xFEEEEE, 45));
    EXPECT_EQ(canvas.fills[2], shadeColor(0xC0C0C0, 0xFEEEEE, 167));
}

TEST(Plot3dScene, FrameBoxOutlinesWallsAndNoBoxDrawsOnlySurface)
{
    SceneFixture f;
    f.settings.visibleXCoords = f.settings.visibleYCoords = f.settings.visibleZCoords = false;
    f.data.resize(2, 2);
    f.settings.boundBoxStyle = bbFrame;
    RecordingCanvas framed;
    f.render(framed);
    EXPECT_EQ(std::count(framed.calls.begin(), framed.calls.end(), "outline"), 3);
    f.settings.boundBoxStyle = bbNone;
    RecordingCanvas bare;
    f.render(bare);
    EXPECT_EQ(bare.calls, (std::vector<std::string>{"cell", "fill"}));
}

TEST(Plot3dScene, SingleColumnDrawsNoCellsButBox)
{
    SceneFixture f;
    f.data.resize(1, 16);
    RecordingCanvas canvas;
    const HitExtent extent = f.render(canvas);
    EXPECT_TRUE(canvas.cells.empty());
    EXPECT_EQ(extent.columns, 0);
    EXPECT_EQ(std::count(canvas.calls.begin(), canvas.calls.end(), "fill"), 3);
}

TEST(Plot3dScene, CellColourFromHighestCornerOrMeanAndHitMatricesFilled)
{
    SceneFixture f;
    f.settings.boundBoxStyle = bbNone;
    f.settings.visibleXCoords = f.settings.visibleYCoords = f.settings.visibleZCoords = false;
    f.settings.colorCodingMode = ccmThreeColors;
    f.settings.colorLow = colors::clYellow;
    f.settings.colorMid = colors::clLime;
    f.settings.colorHigh = colors::clRed;
    f.settings.colorScaleLow = 10;
    f.settings.colorScaleHigh = 17;
    f.data.resize(2, 2);
    f.data.set(1, 1, 6.0);
    f.data.set(2, 1, 13.5);
    f.data.set(1, 2, 6.0);
    f.data.set(2, 2, 6.0);
    RecordingCanvas highest;
    f.render(highest);
    ASSERT_EQ(highest.fills.size(), 1u);
    EXPECT_EQ(highest.fills[0], colors::clLime);

    f.settings.colorCodeAvg = true; // mean 7.875 is below the scale: yellow
    RecordingCanvas mean;
    f.render(mean);
    EXPECT_EQ(mean.fills[0], colors::clYellow);

    const Projection p = makeProjection(f.settings, f.rotation);
    const ZMap z = zMap(f.settings.rangeZLow, f.settings.rangeZHigh);
    const ScreenPoint corner = p.project({-150, -150, z(6.0)});
    EXPECT_EQ(f.hx.at(1, 1), corner.x);
    EXPECT_EQ(f.hy.at(1, 1), corner.y);
    EXPECT_EQ(f.hd.at(1, 1), p.hitDepth(-0.5, -0.5, z(6.0)));
    EXPECT_EQ(f.hx.at(2, 2), 0); // the last row and column start no cell
}

} // namespace
