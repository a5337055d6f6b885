#include "vantrell/tools/core/MapViewModel.h"

#include <gtest/gtest.h>

#include <vector>

#include <algorithm>
#include <cmath>

using namespace vantrell;

TEST(MapViewKeys, ZoomStepsAndBounds)
{
    MapViewModel view;
    for (int i = 0; i < 11; ++i)
        view.viewKey(ViewKey::Up, true);
    EXPECT_NEAR(view.zoom, 1.4, 1e-9);
    EXPECT_EQ(view.tilt, 220);
    for (int i = 0; i < 100; ++i)
        view.viewKey(ViewKey::Up, true);
    EXPECT_DOUBLE_EQ(view.zoom, 0.1);
    for (int i = 0; i < 100; ++i)
        view.viewKey(ViewKey::Down, true);
    EXPECT_DOUBLE_EQ(view.zoom, 4.0);
    EXPECT_FALSE(view.viewKey(ViewKey::Other, false));
    view.reset();
    EXPECT_EQ(view.spin, 290);
    EXPECT_EQ(view.zoom, 2.5);
}

TEST(MapViewKeys, AnglesAreNormalisedOnceADrawing)
{
    MapViewModel view;
    const RomBuffer rom(std::vector<std::uint8_t>(256));
    view.spin = 350;
    view.viewKey(ViewKey::Left, false);
    view.draw(rom, 0, MapKind::Fuel, 1000);
    EXPECT_EQ(view.spin, 360); // 360 is not above 360: kept
    view.viewKey(ViewKey::Left, false);
    EXPECT_EQ(view.spin, 370);
    view.draw(rom, 0, MapKind::Fuel, 1000);
    EXPECT_EQ(view.spin, 10);
    view.tilt = 0;
    view.viewKey(ViewKey::Down, false);
    view.draw(rom, 0, MapKind::Fuel, 1000);
    EXPECT_EQ(view.tilt, 350);
    view.viewKey(ViewKey::Right, false);
    EXPECT_EQ(view.spin, 0);
}

TEST(MapViewHeights, FlaggedCellsAreShiftedAndScaledBy13Tenths)
{
    EXPECT_EQ(MapViewModel::heightOf(MapKind::Fuel, 192), 0);
    EXPECT_EQ(MapViewModel::heightOf(MapKind::Fuel, 0), 0);
    EXPECT_EQ(MapViewModel::heightOf(MapKind::Fuel, 128), -83);   // -64 x 1.3 = -83.2
    EXPECT_EQ(MapViewModel::heightOf(MapKind::Fuel, 5), 6);       // 6.5 -> 6
    EXPECT_EQ(MapViewModel::heightOf(MapKind::Ignition, 130), 3); // 2.6
    EXPECT_EQ(MapViewModel::heightOf(MapKind::Ignition, 127), 165);
}

TEST(MapViewColours, RampsBlueAboveOneTwentyEight)
{
    EXPECT_EQ(MapViewModel::dotColour(MapKind::Fuel, 128), (Rgb{255, 1, 0}));
    EXPECT_EQ(MapViewModel::dotColour(MapKind::Fuel, 129), (Rgb{0, 0, 255}));
    EXPECT_EQ(MapViewModel::dotColour(MapKind::Fuel, 0), (Rgb{1, 255, 0}));
    EXPECT_EQ(MapViewModel::dotColour(MapKind::Fuel, 51), (Rgb{128, 128, 0})); // 128.5 -> 128, 127.5 -> 128
    EXPECT_EQ(MapViewModel::dotColour(MapKind::Ignition, 50), (Rgb{251, 5, 0}));
    EXPECT_EQ(MapViewModel::dotColour(MapKind::Ignition, 51), (Rgb{255, 0, 0})); // G = 0 is not below 0
    EXPECT_EQ(MapViewModel::dotColour(MapKind::Ignition, 60), (Rgb{255, 1, 0}));
    EXPECT_EQ(MapViewModel::dotColour(MapKind::Ignition, 10), (Rgb{51, 205, 0}));
}

TEST(MapViewProjection, UsesTheViewsPiAndCentresOnTheWidth)
{
    MapViewModel view;
    view.spin = 90;
    view.tilt = 0;
    view.zoom = 1;
    const ViewPoint p = view.project(10, 0, 0, 1001);
    const double a = 90 * 3.1415 / 180;
    EXPECT_DOUBLE_EQ(p.X, 12 * (10 * std::cos(a)));
    EXPECT_DOUBLE_EQ(p.Y, 12 * (10 * std::sin(a)));
    EXPECT_EQ(p.sx, 500 + 0); // cx = 500.5 -> 500; X = 0.0110... rounds to 0
    EXPECT_EQ(p.sy, 620 + 120);
}

TEST(MapViewDrawing, MeshAndDotsWithTheSelectedBlockWhite)
{
    MapViewModel view;
    std::vector<std::uint8_t> bytes(512);
    for (int i = 0; i < 256; ++i)
        bytes[256 + i] = static_cast<std::uint8_t>(i % 100);
    bytes[256 + 16 * 5 + 6] = 200; // a flagged cell inside the block still turns white
    const RomBuffer rom(bytes);
    view.setSelection({5, 6, 7, 9}); // grid rows 5..7, columns 6..9
    const ViewDrawing d = view.draw(rom, 256, MapKind::Fuel, 50000);
    EXPECT_EQ(d.lines.size(), 15u * 15 * 4);
    EXPECT_TRUE(
        std::all_of(d.lines.begin(), d.lines.end(), [](const ViewLine& l) { return l.colour == kMeshGrey; }));
    ASSERT_EQ(d.dots.size(), 256u);
    int white = 0;
    for (const ViewDot& dot : d.dots) {
        const bool inBlock = dot.row >= 4 && dot.row <= 6 && dot.column >= 5 && dot.column <= 8;
        if (inBlock)
            EXPECT_EQ(dot.colour, kWhite) << dot.row << "," << dot.column;
        else
            EXPECT_EQ(dot.colour,
                      MapViewModel::dotColour(MapKind::Fuel, rom.at(256 + 16 * dot.row + dot.column)));
        white += dot.colour == kWhite;
    }
    EXPECT_EQ(white, 12);
    // The first mesh line joins P(0,0) and P(1,0).
    EXPECT_EQ(d.lines[0].x1, d.dots[0].x);
    EXPECT_EQ(d.lines[0].y2, d.dots[16].y);
}

TEST(MapViewDrawing, TheChosenUnitKeepsEveryFigureInsideAtEveryZoom)
{
    const double widthPx = 354, heightPx = 300;
    const double s = MapViewModel::unitsPerPixel(widthPx, heightPx);
    const double width = widthPx * s, height = heightPx * s;
    for (std::uint8_t fill : {std::uint8_t(127), std::uint8_t(128), std::uint8_t(0)}) {
        std::vector<std::uint8_t> bytes(256);
        for (std::size_t i = 0; i < 256; ++i)
            bytes[i] = static_cast<std::uint8_t>(i % 2 ? fill : 192);
        const RomBuffer rom(bytes);
        for (double zoom : {0.1, 2.5, 4.0})
            for (int spin = 0; spin < 360; spin += 15)
                for (int tilt = 0; tilt < 360; tilt += 15) {
                    MapViewModel view;
                    view.zoom = zoom;
                    view.spin = spin;
                    view.tilt = tilt;
                    for (const ViewDot& dot : view.draw(rom, 0, MapKind::Fuel, width).dots) {
                        ASSERT_GE(dot.x, 0);
                        ASSERT_LE(dot.x, width);
                        ASSERT_GE(dot.y, 0);
                        ASSERT_LE(dot.y, height) << zoom << " " << spin << " " << tilt;
                    }
                }
    }
}

TEST(MapViewDrawing, TheUnitGrownToTheFigureKeepsItInsideWhenZoomingIn)
{
    const double widthPx = 300, heightPx = 300;
    const double startUnit = MapViewModel::unitsPerPixel(widthPx, heightPx, 2.5);
    std::vector<std::uint8_t> bytes(256);
    for (std::size_t i = 0; i < 256; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 37) % 256); // high and low cells, flags included
    const RomBuffer rom(bytes);
    MapViewModel view;
    int grown = 0;
    for (int presses = 0; presses < 40; ++presses) {
        view.zoom = 0.1 + 0.1 * presses;
        const int grownBefore = grown;
        for (int spin = 0; spin < 360; spin += 30)
            for (int tilt = 0; tilt < 360; tilt += 30) {
                view.spin = spin;
                view.tilt = tilt;
                view.draw(rom, 0, MapKind::Fuel, widthPx * startUnit);
                const double s = std::max(startUnit, view.unitsPerPixelForLastDrawing(widthPx, heightPx));
                grown += s > startUnit;
                for (const ViewDot& dot : view.draw(rom, 0, MapKind::Fuel, widthPx * s).dots) {
                    ASSERT_GE(dot.x, 0);
                    ASSERT_LE(dot.x, widthPx * s);
                    ASSERT_GE(dot.y, 0);
                    ASSERT_LE(dot.y, heightPx * s) << view.zoom << " " << spin << " " << tilt;
                }
            }
        if (view.zoom >= 2.5 - 1e-9) { // the start unit holds every figure from the start zoom out
            EXPECT_EQ(grown, grownBefore) << view.zoom;
        }
    }
    EXPECT_GT(grown, 0); // close zooms needed the larger unit
    // The start unit is far finer than one that holds any figure at D = 0.1 (about a 25th).
    EXPECT_GT(MapViewModel::unitsPerPixel(widthPx, heightPx, 0.1) / startUnit, 20);
}
