#include "vantrell/setup/EmulatorSettings.h"

#include <gtest/gtest.h>

namespace vantrell {
namespace {

TEST(EmulatorSettings, BusWidthFollowsTheBoardCount)
{
    EmulatorSettings s;
    EXPECT_EQ(s.chooseBits(8), 0); // no scan yet
    EXPECT_EQ(s.chooseBits(16), 0);
    s.emulator_count = 1;
    EXPECT_EQ(s.chooseBits(16), 8); // 16 bits need two boards
    EXPECT_EQ(s.chooseBits(8), 8);
    s.emulator_count = 2;
    EXPECT_EQ(s.chooseBits(16), 16);
    EXPECT_EQ(s.emulator_bits, 16);
}

TEST(EmulatorSettings, OnlineAndRomLoadNeedTheOptions)
{
    EmulatorSettings s;
    EXPECT_FALSE(s.readyForOnline());
    EXPECT_TRUE(s.romLoadAllowed()); // no board found: offline editing
    s.emulator_count = 2;
    EXPECT_FALSE(s.romLoadAllowed());
    s.emulator_rom = 2;
    EXPECT_FALSE(s.romLoadAllowed());
    s.chooseBits(16);
    EXPECT_TRUE(s.romLoadAllowed());
    EXPECT_TRUE(s.readyForOnline());
    s.reset();
    EXPECT_EQ(s.emulator_count, 0);
    EXPECT_EQ(s.emulator_bits, 0);
}

TEST(EmulatorSettings, EachLayoutHasItsAnnouncement)
{
    EXPECT_EQ(romLayoutAnnouncement(0), "No emulators connected - so ofline editing of rom only :)");
    EXPECT_EQ(romLayoutAnnouncement(2), "compiling rom buffers - odd/even format with no wasted bytes");
    EXPECT_NE(romLayoutAnnouncement(3), romLayoutAnnouncement(4));
    EXPECT_EQ(romLayoutAnnouncement(5), "");
    EXPECT_EQ(romLayoutProgress(0), AnnouncementProgress::Untouched);
    EXPECT_EQ(romLayoutProgress(1), AnnouncementProgress::Reset);
    EXPECT_EQ(romLayoutProgress(4), AnnouncementProgress::Sweep);
}
} // namespace
} // namespace vantrell
