#include "vantrell/rom/MapAccess.h"
#include "vantrell/document/RomFile.h"
#include "vantrell/document/tests/DocumentTestSupport.h"

#include "common/Numbers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vantrell;
using vantrell::testing::poke;

namespace {

std::filesystem::path tempDir(const char* name)
{
    auto dir = std::filesystem::temp_directory_path() / (std::string("tessavel-rom-") + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void writeBytes(const std::filesystem::path& p, std::size_t count, std::uint8_t start)
{
    std::ofstream out(p, std::ios::binary);
    for (std::size_t i = 0; i < count; ++i)
        out.put(static_cast<char>(static_cast<std::uint8_t>(start + i)));
}

} // namespace

TEST(RomFile, ReadsOnlyTheRomSizeAndFillsAShortFileWithZeros)
{
    auto dir = tempDir("read");
    writeBytes(dir / "long.bin", 32768, 1);
    writeBytes(dir / "short.bin", 100, 7);
    RomDocument rom;
    rom.reset(16384);
    RomRead r = readRomImage((dir / "long.bin").string(), rom);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytesRead, 16384u);
    EXPECT_FALSE(r.shortFile);
    EXPECT_EQ(rom.size(), 16384u);
    EXPECT_EQ(rom.at(16383), static_cast<std::uint8_t>(1 + 16383));

    r = readRomImage((dir / "short.bin").string(), rom);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.shortFile);
    EXPECT_EQ(r.bytesRead, 100u);
    EXPECT_EQ(rom.at(99), static_cast<std::uint8_t>(7 + 99));
    EXPECT_EQ(rom.at(100), 0);
    EXPECT_EQ(rom.at(16383), 0);

    poke(rom, 0, 0xAA);
    r = readRomImage((dir / "missing.bin").string(), rom);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(rom.at(0), 0xAA); // unchanged
    std::filesystem::remove_all(dir);
}

TEST(RomFile, SaveWritesExactlyTheRomSizeAndAFailedSaveKeepsTheOldFile)
{
    auto dir = tempDir("write");
    writeBytes(dir / "old.bin", 40000, 3);
    RomDocument rom;
    rom.reset(32768);
    poke(rom, 1, 0x55);
    std::string error;
    ASSERT_TRUE(writeRomImage((dir / "old.bin").string(), rom.buffer(), error)) << error;
    EXPECT_EQ(std::filesystem::file_size(dir / "old.bin"), 32768u);
    RomDocument back;
    back.reset(32768);
    ASSERT_TRUE(readRomImage((dir / "old.bin").string(), back).ok);
    EXPECT_EQ(back.bytes(), rom.bytes());

    // A target inside a missing folder cannot be written: reported, nothing left behind.
    EXPECT_FALSE(writeRomImage((dir / "nowhere" / "x.bin").string(), rom.buffer(), error));
    EXPECT_FALSE(error.empty());
    std::filesystem::remove_all(dir);
}

TEST(MapAccess, CellsDecodeByKindWithTheFeedbackFlagInBitSeven)
{
    EXPECT_EQ(decodeCell(MapKind::Fuel, 0x7F).value, 127);
    EXPECT_EQ(decodeCell(MapKind::Fuel, 0x80).value, -64);
    EXPECT_TRUE(decodeCell(MapKind::Fuel, 0x80).flag);
    EXPECT_FALSE(decodeCell(MapKind::Fuel, 0x80).bit6);
    EXPECT_EQ(decodeCell(MapKind::Fuel, 0xC0).value, 0);
    EXPECT_EQ(decodeCell(MapKind::Ignition, 0xC0).value, 64);
    EXPECT_EQ(decodeCell(MapKind::Ignition, 0x80).value, 0);
    EXPECT_STREQ(mapKeyText(MapKey::IgnLow), "ignlow");
    EXPECT_EQ(fileNameOf("C:\\data\\demo.bin"), "demo.bin");
    EXPECT_EQ(fileNameOf("/a/b/c.bin"), "c.bin");
    EXPECT_EQ(fileNameOf("plain.bin"), "plain.bin");
}

TEST(MapAccess, ScaledRevLimitsReadAndWriteInBothWidths)
{
    EngineDefinition def;
    def.revsize = 2;
    def.revtimes = 12.5f;
    std::vector<std::uint8_t> bytes(256);
    bytes[10] = 0x01;
    bytes[11] = 0x2C;
    bytes[30] = 140;
    const RomBuffer rom(bytes);
    EXPECT_EQ(readScaledValue(def, rom, 10), " 3750");
    EXPECT_EQ(scaledValueBytes(def, 7500), (std::vector<std::uint8_t>{0x02, 0x58}));

    def.revsize = 1;
    def.revtimes = 50;
    EXPECT_EQ(readScaledValue(def, rom, 30), " 7000");
    EXPECT_EQ(scaledValueBytes(def, 6525), (std::vector<std::uint8_t>{130})); // 130.5 -> 130
}
