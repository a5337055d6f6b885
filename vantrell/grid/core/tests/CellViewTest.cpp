#include "vantrell/grid/core/CellView.h"

#include <gtest/gtest.h>

using namespace vantrell;

TEST(CellColour, FuelAndIgnitionShadingAndFlaggedBlues)
{
    EXPECT_EQ(gridCellColour(MapKind::Fuel, 0x00), (Rgb{1, 254, 0}));
    EXPECT_EQ(gridCellColour(MapKind::Fuel, 0x7F), (Rgb{255, 1, 0}));
    EXPECT_EQ(gridCellColour(MapKind::Fuel, 0x80), kDarkBlue);
    EXPECT_EQ(gridCellColour(MapKind::Fuel, 0xC0), kLightBlue);
    EXPECT_EQ(gridCellColour(MapKind::Fuel, 102), (Rgb{255, 1, 0})); // 2.5 x 102 + 1 = 256
    EXPECT_EQ(gridCellColour(MapKind::Ignition, 0x33), (Rgb{255, 1, 0}));
    EXPECT_EQ(gridCellColour(MapKind::Ignition, 0x80), kDarkBlue);
    EXPECT_EQ(gridCellColour(MapKind::Ignition, 0xC0), kLightBlue);
    EXPECT_EQ(gridCellColour(MapKind::Ignition, 10), (Rgb{50, 205, 0}));
}

TEST(CellColour, EditedCellsUseTheirOwnRamp)
{
    EXPECT_EQ(editCellColour(MapKind::Fuel, 0xB5), kDarkBlue);  // value -11
    EXPECT_EQ(editCellColour(MapKind::Fuel, 0xD0), kLightBlue); // value 16
    EXPECT_EQ(editCellColour(MapKind::Fuel, 4), (Rgb{11, 245, 0}));
    EXPECT_EQ(editCellColour(MapKind::Fuel, 102), (Rgb{255, 0, 0})); // green 0 is not negative
    EXPECT_EQ(editCellColour(MapKind::Fuel, 127), (Rgb{255, 1, 0}));
    EXPECT_EQ(editCellColour(MapKind::Ignition, 0x80), kLightBlue);
    EXPECT_EQ(editCellColour(MapKind::Ignition, 0), (Rgb{1, 255, 0}));
    EXPECT_EQ(editCellColour(MapKind::Ignition, 127), (Rgb{255, 1, 0}));
}

TEST(CellText, EveryModeAgainstHandWorkedValues)
{
    // Load byte 80 and 3000 rpm: one injection cycle (two revolutions) takes 40 ms.
    FuelContext ctx{80, 60, 370, 6};
    auto text = [&](std::uint8_t b, DisplayMode m) { return cellText(MapKind::Fuel, m, b, ctx); };
    for (std::uint8_t b : {std::uint8_t(0), std::uint8_t(192)}) {
        EXPECT_EQ(text(b, DisplayMode::Data), "0");
        EXPECT_EQ(text(b, DisplayMode::InjectorTime), "10.00"); // 80 x 0.125
        EXPECT_EQ(text(b, DisplayMode::AfRatio), "14.70");
        EXPECT_EQ(text(b, DisplayMode::DutyCycle), "25%"); // 10 / 40
        EXPECT_EQ(text(b, DisplayMode::Power), "111");     // 10/40 x 370 = 92.5 cc; /10.2 x 2.04 x 6
    }
    EXPECT_EQ(text(192, DisplayMode::Raw), "192");
    EXPECT_EQ(text(128, DisplayMode::Data), "-64");
    EXPECT_EQ(text(128, DisplayMode::InjectorTime), "5.00");
    EXPECT_EQ(text(128, DisplayMode::AfRatio), "29.40");
    EXPECT_EQ(text(127, DisplayMode::Data), "127");
    EXPECT_EQ(text(127, DisplayMode::AfRatio), "7.38");       // 14.7 / 1.9921875 = 7.3788
    EXPECT_EQ(text(127, DisplayMode::InjectorTime), "19.92"); // 80 x 1.9921875 x 0.125 = 19.92
    EXPECT_EQ(text(127, DisplayMode::DutyCycle), "50%");      // 19.92 / 40 = 49.8%
    EXPECT_EQ(text(127, DisplayMode::Raw), "127");

    FuelContext noLoad{0, 60, 370, 6};
    EXPECT_EQ(cellText(MapKind::Fuel, DisplayMode::InjectorTime, 100, noLoad), "0.00");
    EXPECT_EQ(cellText(MapKind::Fuel, DisplayMode::DutyCycle, 100, noLoad), "0%");
    EXPECT_EQ(cellText(MapKind::Fuel, DisplayMode::Power, 100, noLoad), "0");

    FuelContext noRpm{80, 0, 370, 6};
    EXPECT_EQ(cellText(MapKind::Fuel, DisplayMode::DutyCycle, 0, noRpm), "");
    EXPECT_EQ(cellText(MapKind::Fuel, DisplayMode::Power, 0, noRpm), "");
    EXPECT_EQ(cellText(MapKind::Fuel, DisplayMode::InjectorTime, 0, noRpm), "10.00");
    EXPECT_EQ(cellText(MapKind::Fuel, DisplayMode::AfRatio, 0, noRpm), "14.70");
}

TEST(CellText, IgnitionShowsDataValuesOrRawBytes)
{
    FuelContext ctx{80, 60, 370, 6};
    EXPECT_EQ(cellText(MapKind::Ignition, DisplayMode::AfRatio, 0xC0, ctx), "64");
    EXPECT_EQ(cellText(MapKind::Ignition, DisplayMode::Data, 0x20, ctx), "32");
    EXPECT_EQ(cellText(MapKind::Ignition, DisplayMode::Raw, 0xC0, ctx), "192");
}

TEST(Headers, RpmAndLoadTextsCarryTheSignBlank)
{
    EXPECT_EQ(rowHeaderText(60), " 3000 rpm");
    EXPECT_EQ(rowHeaderText(0), " 0 rpm");
    EXPECT_EQ(rowHeaderText(255), " 12750 rpm");
    EXPECT_EQ(columnHeaderText(0), " 0");
    EXPECT_EQ(columnHeaderText(255), " 255");
}
