#include "vantrell/tools/core/MapOperations.h"
#include "vantrell/document/tests/DocumentTestSupport.h"

#include "ToolTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using vantrell::testing::poke;

using namespace vantrell;
using namespace vantrell::testing;
namespace fs = std::filesystem;

namespace {

class MapFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("vantrell_maps_" + uniqueToken() + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "maps");
        state = demoLikeState();
        state.folders = ProgramFolders::under(root.string());
    }
    void TearDown() override { fs::remove_all(root); }

    void writeFile(const std::string& name, std::size_t size, std::uint8_t fill)
    {
        std::ofstream out(root / "maps" / name, std::ios::binary);
        for (std::size_t i = 0; i < size; ++i)
            out.put(static_cast<char>(fill + i));
    }

    fs::path root;
    EditorState state;
    common::StatusLines status;
    RecordingWriteThrough link{state, false};
    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(MapFiles, SaveThenLoadIntoTheSameMapLeavesTheRomUnchanged)
{
    dialogs.nextPath = (root / "maps" / "one.map").string();
    ASSERT_TRUE(saveMapFile(state, dialogs, status, MapKey::IgnLow));
    EXPECT_EQ(fs::file_size(dialogs.nextPath), 288u);
    EXPECT_EQ(dialogs.asked[0], "save|Save Map Data File|Map Data|*.map|*.map|" + state.folders.maps);
    const RomBuffer before = state.rom.buffer();
    ASSERT_TRUE(loadMapFile(state, dialogs, status, MapKey::IgnLow));
    EXPECT_EQ(dialogs.asked[1], "open|Load Map Data File|Map Data|*.map|*.map|" + state.folders.maps);
    EXPECT_EQ(state.rom.bytes(), before.bytes());
    EXPECT_TRUE(status.lines.empty());
}

TEST_F(MapFiles, SavingOverALongerFileLeavesExactly288Bytes)
{
    writeFile("long.map", 1000, 1);
    dialogs.nextPath = (root / "maps" / "long.map").string();
    ASSERT_TRUE(saveMapFile(state, dialogs, status, MapKey::FuelHigh));
    EXPECT_EQ(fs::file_size(dialogs.nextPath), 288u);
}

TEST_F(MapFiles, AFuelMapFileLoadsIntoAnIgnitionMapWithItsAxes)
{
    dialogs.nextPath = (root / "maps" / "fuel.map").string();
    ASSERT_TRUE(saveMapFile(state, dialogs, status, MapKey::FuelHigh));
    link.online = true;
    ASSERT_TRUE(loadMapFile(state, dialogs, status, MapKey::IgnHigh));
    for (std::uint32_t i = 0; i < 256; ++i)
        ASSERT_EQ(state.rom.at(0x7200 + i), state.rom.at(0x7000 + i));
    for (std::uint32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(state.rom.at(0x7420 + i), state.rom.at(0x7400 + i));
        EXPECT_EQ(state.rom.at(0x7430 + i), state.rom.at(0x7410 + i));
    }
    // Online: the map in two halves, then the RPM axis and the load axis.
    ASSERT_EQ(link.writes.size(), 4u);
    EXPECT_EQ(link.writes[0].address, 0x7200u);
    EXPECT_EQ(link.writes[0].bytes.size(), 128u);
    EXPECT_EQ(link.writes[1].address, 0x7280u);
    EXPECT_EQ(link.writes[1].bytes.size(), 128u);
    EXPECT_EQ(link.writes[2].address, 0x7420u);
    EXPECT_EQ(link.writes[3].address, 0x7430u);
    EXPECT_EQ(link.writes[3].bytes.size(), 16u);
}

TEST_F(MapFiles, ShortFilesAreRefusedAndLongFilesReadFor288Bytes)
{
    writeFile("short.map", 100, 5);
    dialogs.nextPath = (root / "maps" / "short.map").string();
    const RomBuffer before = state.rom.buffer();
    EXPECT_FALSE(loadMapFile(state, dialogs, status, MapKey::FuelLow));
    EXPECT_EQ(state.rom.bytes(), before.bytes());
    ASSERT_EQ(status.lines.size(), 1u);
    EXPECT_EQ(status.lines[0], "Map file short.map not loaded: it holds 100 bytes, a map file holds 288");

    writeFile("long.map", 300, 5);
    dialogs.nextPath = (root / "maps" / "long.map").string();
    EXPECT_TRUE(loadMapFile(state, dialogs, status, MapKey::FuelLow));
    EXPECT_EQ(status.lines.back(), "Map file long.map holds 300 bytes: only its first 288 were loaded");
    EXPECT_EQ(state.rom.at(0x7100), 5);
    EXPECT_EQ(state.rom.at(0x741F), static_cast<std::uint8_t>(5 + 287)); // last load axis byte

    dialogs.nextPath = (root / "maps" / "absent.map").string();
    EXPECT_FALSE(loadMapFile(state, dialogs, status, MapKey::FuelLow));
    EXPECT_NE(status.lines.back().find("cannot be read"), std::string::npos);
}

TEST_F(MapFiles, CancelledDialogsSaySo)
{
    dialogs.nextPath = "";
    EXPECT_FALSE(saveMapFile(state, dialogs, status, MapKey::FuelHigh));
    EXPECT_FALSE(loadMapFile(state, dialogs, status, MapKey::FuelHigh));
    EXPECT_EQ(status.lines, (std::vector<std::string>{"Save Canceled", "Load Canceled"}));
}

namespace {

const std::vector<std::string> kWarnings = {map_messages::kWarning1, map_messages::kWarning2,
                                            map_messages::kWarning3, map_messages::kWarning4};

void setRowEnd(EditorState& s, std::uint32_t map, int row, std::uint8_t a, std::uint8_t b)
{
    poke(s.rom, map + 16u * row + 14, a);
    poke(s.rom, map + 16u * row + 15, b);
}

} // namespace

TEST(MapShunt, FuelRowsMoveLeftAndExtrapolateWithFuelchange)
{
    EditorState s = demoLikeState(); // fuelchange 8, fuelstep 10
    setRowEnd(s, 0x7000, 0, 0x60, 0x64);
    setRowEnd(s, 0x7000, 1, 0x50, 0xFA);
    setRowEnd(s, 0x7100, 15, 0x10, 0x20);
    poke(s.rom, 0x7410 + 14, 0xF0);
    poke(s.rom, 0x7410 + 15, 0xFA);
    const std::uint8_t firstCellBefore = s.rom.at(0x7001);
    const RomBuffer before = s.rom.buffer();
    common::StatusLines status;
    ScriptedDialogs dialogs;
    s.currentMap = MapKey::FuelHigh;
    EXPECT_TRUE(shuntMap(s, dialogs, status));
    EXPECT_EQ(s.rom.at(0x7000), firstCellBefore);
    EXPECT_EQ(s.rom.at(0x7000 + 14), 0x64);
    EXPECT_EQ(s.rom.at(0x7000 + 15), 0x6C);
    EXPECT_EQ(s.rom.at(0x7010 + 14), 0xFA);
    EXPECT_EQ(s.rom.at(0x7010 + 15), 0xFF);
    EXPECT_EQ(s.rom.at(0x71F0 + 15), 0x28); // the knock map moves with it
    EXPECT_EQ(s.rom.at(0x7410 + 14), 0xFA);
    EXPECT_EQ(s.rom.at(0x7410 + 15), 0x04); // 260 modulo 256
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(s.rom.at(0x7400 + i), before.at(0x7400 + i)); // RPM axis stays
    for (std::uint32_t i = 0x7200; i < 0x7400; ++i)
        ASSERT_EQ(s.rom.at(i), before.at(i)); // ignition maps stay
    EXPECT_EQ(status.lines, kWarnings);
    EXPECT_EQ(dialogs.beeps, 0);
}

TEST(MapShunt, IgnitionRowsSubtractIgnchangeAndTheAxisGains25)
{
    EditorState s = demoLikeState(); // ignchange 3
    setRowEnd(s, 0x7200, 3, 0x05, 0x02);
    setRowEnd(s, 0x7300, 0, 0x09, 0x40);
    poke(s.rom, 0x7430 + 15, 0xF0);
    common::StatusLines status;
    ScriptedDialogs dialogs;
    s.currentMap = MapKey::IgnHigh;
    EXPECT_TRUE(shuntMap(s, dialogs, status));
    EXPECT_EQ(s.rom.at(0x7230 + 14), 0x02);
    EXPECT_EQ(s.rom.at(0x7230 + 15), 0x00);
    EXPECT_EQ(s.rom.at(0x7300 + 15), 0x3D);
    EXPECT_EQ(s.rom.at(0x7430 + 15), (0xF0 + 25) % 256);
    EXPECT_EQ(status.lines, kWarnings);
}

TEST(MapShunt, KnockMapsAreRefusedWithABeepAndAllWarnings)
{
    for (MapKey key : {MapKey::FuelLow, MapKey::IgnLow}) {
        EditorState s = demoLikeState();
        s.currentMap = key;
        const RomBuffer before = s.rom.buffer();
        common::StatusLines status;
        ScriptedDialogs dialogs;
        EXPECT_FALSE(shuntMap(s, dialogs, status));
        EXPECT_EQ(s.rom.bytes(), before.bytes());
        EXPECT_EQ(dialogs.beeps, 1);
        std::vector<std::string> expected = {map_messages::kShuntKnock1, map_messages::kShuntKnock2};
        expected.insert(expected.end(), kWarnings.begin(), kWarnings.end());
        EXPECT_EQ(status.lines, expected);
    }
}
