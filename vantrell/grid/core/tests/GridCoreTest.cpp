#include "vantrell/grid/core/DisplayOptions.h"
#include "vantrell/grid/core/GridEditing.h"
#include "vantrell/document/tests/DocumentTestSupport.h"

#include "common/StatusSink.h"

#include <gtest/gtest.h>

#include <fstream>

using vantrell::testing::poke;

namespace vantrell {
namespace {

TEST(DisplayOptions, ConversionIsRememberedAcrossAnIgnitionPage)
{
    DisplayOptions o;
    o.selected = 3; // a/f ratio on "Fuel Main"
    o.leavePage();  // to "Ignition Main"
    EXPECT_EQ(o.mode(), DisplayMode::Data);
    EXPECT_EQ(o.remembered, 3);
    o.leavePage(); // to "Fuel Knock"
    o.enterFuelPage();
    EXPECT_EQ(o.mode(), DisplayMode::AfRatio);
}

TEST(DisplayOptions, RawDataStaysUntilAFuelPageBringsTheRememberedModeBack)
{
    DisplayOptions o;
    o.selected = 4;
    o.leavePage();  // remembers 4, shows data
    o.selected = 6; // raw data chosen on an ignition page
    o.leavePage();
    EXPECT_EQ(o.mode(), DisplayMode::Raw);
    EXPECT_EQ(o.remembered, 4);
    o.enterFuelPage();
    EXPECT_EQ(o.mode(), DisplayMode::DutyCycle);
}

TEST(DisplayOptions, RawDataWithNothingRememberedStaysOnFuelPages)
{
    DisplayOptions o;
    o.selected = 6;
    o.leavePage();
    o.enterFuelPage();
    EXPECT_EQ(o.mode(), DisplayMode::Raw);
    o.selected = 0; // nothing selected shows data
    EXPECT_EQ(o.mode(), DisplayMode::Data);
}

class GridEditingTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // One file per test: ctest runs the tests of this fixture in parallel processes.
        path_ = ::testing::TempDir() + "/grid-editing-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        std::ofstream(path_)
            << "[initialisation]\ninjectorsize=370\ncyl=6\nromsize=4096\n"
               "[address locations]\nfuelhighmap=&h100\nfuellowmap=&h200\nignhighmap=&h300\n"
               "ignlowmap=&h400\nfuelrev=&h500\nfuelflow=&h510\nignrev=&h520\nignflow=&h530\n";
        ASSERT_TRUE(state.loadDefinition(path_, status));
    }
    EditorState state;
    common::StatusLines status;
    std::string path_;
};

TEST_F(GridEditingTest, EditChangesTheCellShownAtTheGridPosition)
{
    poke(state.rom, 0x100 + 16 * 2 + 3, 0x05);
    auto change = cellKeyStep(state, CellBlock{3, 4, 3, 4}, EditKey::Minus, true);
    ASSERT_TRUE(change);
    ASSERT_EQ(change->changes.size(), 1u);
    EXPECT_EQ(change->changes[0].address, 0x100u + 16 * 2 + 3);
    EXPECT_EQ(change->changes[0].after, std::vector<std::uint8_t>{0xB5});
    ASSERT_TRUE(state.rom.apply(*change));
    EXPECT_EQ(state.rom.at(0x100u + 16 * 2 + 3), 0xB5);
    const CellLook look =
        editedCellLook(state, *state.currentMapSet(), MapKind::Fuel, DisplayMode::Data, 2, 3);
    EXPECT_EQ(look.text, "-11");
    EXPECT_EQ(look.background, kDarkBlue);
}

TEST_F(GridEditingTest, HeaderCoordinatesCountAsTheFirstMapRowAndColumn)
{
    auto change = cellKeyStep(state, CellBlock{0, 0, 0, 0}, EditKey::Plus, false);
    ASSERT_TRUE(change);
    ASSERT_EQ(change->changes.size(), 1u);
    EXPECT_EQ(change->changes[0].address, 0x100u);
    ASSERT_TRUE(state.rom.apply(*change));
    EXPECT_EQ(editedCellLook(state, *state.currentMapSet(), MapKind::Fuel, DisplayMode::Raw, 0, 0).text, "1");
}

TEST_F(GridEditingTest, IgnitionMapEditUsesItsOwnAddressAndRamp)
{
    state.currentMap = MapKey::IgnLow;
    poke(state.rom, 0x400, 0x20);
    auto change = cellKeyStep(state, CellBlock{1, 1, 1, 1}, EditKey::Flag, false);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->changes.at(0).after, std::vector<std::uint8_t>{0xA0});
    ASSERT_TRUE(state.rom.apply(*change));
    const CellLook look =
        editedCellLook(state, *state.currentMapSet(), MapKind::Ignition, DisplayMode::AfRatio, 0, 0);
    EXPECT_EQ(look.text, "32"); // ignition cells show data values in every mode but raw
    EXPECT_EQ(look.background, kLightBlue);
}

TEST_F(GridEditingTest, LoadAxisStepWrapsAndNeedsAMapColumn)
{
    poke(state.rom, 0x510 + 2, 255);
    auto up = loadAxisStep(state, 3, +1);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->changes.at(0).address, 0x512u);
    EXPECT_EQ(up->changes.at(0).after, std::vector<std::uint8_t>{0});
    ASSERT_TRUE(state.rom.apply(*up));
    auto down = loadAxisStep(state, 3, -1);
    EXPECT_EQ(down->changes.at(0).after, std::vector<std::uint8_t>{255});
    EXPECT_FALSE(loadAxisStep(state, 0, 1));
    state.currentMap = MapKey::IgnHigh;
    EXPECT_EQ(loadAxisStep(state, 16, 1)->changes.at(0).address, 0x530u + 15);
}

TEST(GridEditing, WithoutADefinitionNothingIsEdited)
{
    EditorState state;
    EXPECT_FALSE(cellKeyStep(state, CellBlock{1, 1, 1, 1}, EditKey::Plus, false));
    EXPECT_FALSE(loadAxisStep(state, 1, 1));
    EXPECT_EQ(state.rom.size(), 0u);
}

TEST(CellBlock, CornersInAnyOrderGiveTheSameBlock)
{
    EXPECT_EQ(CellBlock::ordered(5, 4, 3, 2), (CellBlock{3, 2, 5, 4}));
    EXPECT_EQ(CellBlock::ordered(3, 2, 5, 4), (CellBlock{3, 2, 5, 4}));
}
} // namespace
} // namespace vantrell
