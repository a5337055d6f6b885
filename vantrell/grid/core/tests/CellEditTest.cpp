#include "vantrell/grid/core/CellEdit.h"
#include "vantrell/grid/core/CellView.h"

#include <gtest/gtest.h>

using namespace vantrell;

TEST(CellEdit, FuelKeysStepLimitAndWrapIntoTheFlaggedRange)
{
    EXPECT_EQ(editedCell(MapKind::Fuel, 0x05, EditKey::Minus, false), 4);
    EXPECT_EQ(editedCell(MapKind::Fuel, 0x05, EditKey::Minus, true), 0xB5); // -11 wraps to 181
    EXPECT_EQ(decodeCell(MapKind::Fuel, 0xB5).value, -11);
    EXPECT_EQ(editedCell(MapKind::Fuel, 0xFE, EditKey::Plus, true), 255);
    EXPECT_EQ(editedCell(MapKind::Fuel, 0x7F, EditKey::Plus, false), 0x80);
    EXPECT_EQ(editCellColour(MapKind::Fuel, 0x80), kDarkBlue);
    EXPECT_EQ(editedCell(MapKind::Fuel, 0x33, EditKey::Other, true), 0x33);
}

TEST(CellEdit, FlagToggleOnFuelAndIgnitionCells)
{
    EXPECT_EQ(editedCell(MapKind::Fuel, 0x10, EditKey::Flag, false), 0xD0);
    EXPECT_EQ(editedCell(MapKind::Fuel, 0xD0, EditKey::Flag, false), 0x10);
    EXPECT_EQ(editedCell(MapKind::Fuel, 0x50, EditKey::Flag, false), 255); // 80 + 192 limited
    EXPECT_EQ(editedCell(MapKind::Fuel, 255, EditKey::Flag, false), 63);
    EXPECT_EQ(editedCell(MapKind::Fuel, 0x85, EditKey::Flag, false), 0); // 133 - 192 < 0
    EXPECT_EQ(editedCell(MapKind::Ignition, 0x00, EditKey::Minus, false), 127);
    EXPECT_EQ(editedCell(MapKind::Ignition, 0x20, EditKey::Flag, false), 0xA0);
    EXPECT_EQ(editedCell(MapKind::Ignition, 0xA0, EditKey::Flag, false), 0x20);
}

TEST(CellEdit, LoadAxisStepWrapsModulo256)
{
    EXPECT_EQ(steppedAxisByte(255, +1), 0);
    EXPECT_EQ(steppedAxisByte(0, -1), 255);
    EXPECT_EQ(steppedAxisByte(10, +1), 11);
}
