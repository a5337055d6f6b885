#include "vantrell/tools/core/Limiters.h"
#include "vantrell/document/tests/DocumentTestSupport.h"

#include "ToolTestSupport.h"

#include <gtest/gtest.h>

using vantrell::testing::poke;

using namespace vantrell;
using namespace vantrell::testing;

namespace {

const LimiterGrid& grid(const std::vector<LimiterGrid>& grids, const std::string& name)
{
    for (const auto& g : grids)
        if (g.name == name)
            return g;
    throw std::runtime_error("no grid " + name);
}

} // namespace

TEST(LimiterGrids, ShownByAddressTextWithCellsAndLayout)
{
    EditorState s = demoLikeState();
    poke(s.rom, 0x7480, 7);
    s.def.ttpmax = "&hffff";
    s.def.ttpmin = "&HFFFF"; // not the absence mark: an address outside the ROM
    const auto grids = limiterGrids(s);
    ASSERT_EQ(grids.size(), 6u);
    EXPECT_EQ(grids[0].name, "boostlimit");
    EXPECT_EQ(grids[0].caption, "AFM Limiter");
    EXPECT_EQ(grids[0].cells.size(), 16u);
    EXPECT_EQ(grids[0].cells[0], "7");
    EXPECT_EQ(grids[0].y, 360);
    EXPECT_EQ(grids[0].width, 6870);
    const LimiterGrid& injbase = grid(grids, "injbase");
    EXPECT_TRUE(injbase.shown);
    EXPECT_EQ(injbase.cells, std::vector<std::string>(16, "-"));
    EXPECT_FALSE(grid(grids, "injcap").shown);
    const LimiterGrid& accl = grid(grids, "accl");
    EXPECT_EQ(accl.cells.size(), 12u);
    EXPECT_EQ(accl.width, 3990);
    EXPECT_EQ(accl.y, 2400);

    s.def.accelsize = "16";
    EXPECT_EQ(grid(limiterGrids(s), "accl").width, 6870);
}

TEST(LimiterGrids, LimitCellsShowScaledValuesWithTheSignBlank)
{
    EditorState s = demoLikeState(); // revsize 2, revtimes 12.5, speedtimes 2
    poke(s.rom, 0x7450, 0x02);
    poke(s.rom, 0x7451, 0x58); // 600 x 12.5 = 7500
    poke(s.rom, 0x7458, 90);
    const auto grids = limiterGrids(s);
    EXPECT_EQ(grid(grids, "rev_limiter_entry").cells[0], " 7500");
    EXPECT_EQ(grid(grids, "rev_limiter_entry").x, 720);
    EXPECT_EQ(grid(grids, "speed_limiter_entry").cells[0], " 180");
    EXPECT_EQ(grid(grids, "speed_limiter_entry").x, 5480);
    s.def.speed1 = "&h8000";
    EXPECT_EQ(grid(limiterGrids(s), "speed_limiter_entry").cells[0], "-");
}

TEST(RevLimitEdit, TwoByteLimitGoesToEveryPresentPlace)
{
    EditorState s = demoLikeState();
    s.def.revtimes = 1;
    s.def.rev3 = "&hffff";
    common::StatusLines status;
    RecordingWriteThrough link(s);
    EXPECT_EQ(editRevLimit(s, " 7000", LimiterKey::Other, false, status), " 7000");
    for (std::uint32_t a : {0x7450u, 0x7452u, 0x7456u}) {
        EXPECT_EQ(s.rom.at(a), 0x1B);
        EXPECT_EQ(s.rom.at(a + 1), 0x58);
    }
    EXPECT_NE(s.rom.at(0x7454), 0x1B);
    ASSERT_EQ(link.writes.size(), 3u);
    EXPECT_EQ(link.writes[0], (RecordedWrite{0x7450, {0x1B, 0x58}}));
    EXPECT_EQ(link.writes[2], (RecordedWrite{0x7456, {0x1B, 0x58}}));
    EXPECT_TRUE(status.lines.empty());
}

TEST(RevLimitEdit, StepsAndClampAt12000)
{
    EditorState s = demoLikeState();
    common::StatusLines status;
    RecordingWriteThrough link(s, false);
    EXPECT_EQ(editRevLimit(s, " 11500", LimiterKey::Plus, true, status), " 12000");
    EXPECT_EQ(editRevLimit(s, " 7000", LimiterKey::Plus, false, status), " 7050");
    EXPECT_EQ(editRevLimit(s, " 30", LimiterKey::Minus, false, status), " 0");
    EXPECT_EQ(editRevLimit(s, " 900", LimiterKey::Minus, true, status), " 0");
    EXPECT_TRUE(link.writes.empty());
    EXPECT_EQ(s.rom.at(0x7450), 0); // 0 at every place
}

TEST(RevLimitEdit, ValuesBeyondTheStoredWidthOrTheInt16RangeAreClamped)
{
    // One byte at 12.5 rpm a step: a stored 255 shows "3187.5", and every value up to 3193 is stored
    // as 255 again; only what would round to 256 is clamped, with a line.
    const struct
    {
        const char* typed;
        const char* shown;
        const char* line;
    } cases[] = {
        {" 3187.5", " 3188", nullptr},
        {" 3193", " 3193", nullptr},
        {" 3194", " 3193", "Rev limit 3194 does not fit its stored width: clamped to 3193"},
        {" 5000", " 3193", "Rev limit 5000 does not fit its stored width: clamped to 3193"},
    };
    for (const auto& c : cases) {
        EditorState s = demoLikeState();
        s.def.revsize = 1;
        common::StatusLines status;
        RecordingWriteThrough link(s);
        EXPECT_EQ(editRevLimit(s, c.typed, LimiterKey::Other, false, status), c.shown) << c.typed;
        EXPECT_EQ(s.rom.at(0x7450), 255) << c.typed;
        EXPECT_EQ(status.lines, c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{})
            << c.typed;
    }
    common::StatusLines status;

    // A two-byte limit above 32767 rpm shows as read and is clamped only when edited.
    EditorState t = demoLikeState();
    RecordingWriteThrough link(t);
    t.def.revtimes = 1;
    poke(t.rom, 0x7450, 0x9C);
    poke(t.rom, 0x7451, 0x40);
    EXPECT_EQ(grid(limiterGrids(t), "rev_limiter_entry").cells[0], " 40000");
    EXPECT_EQ(editRevLimit(t, " 40000", LimiterKey::Minus, false, status), " 12000");
}

TEST(RevLimitEdit, PlaceOutsideTheRomRefusesWithoutChange)
{
    EditorState s = demoLikeState();
    s.def.rev4 = "&h7fff"; // two bytes would reach past the end
    const RomBuffer before = s.rom.buffer();
    common::StatusLines status;
    RecordingWriteThrough link(s);
    EXPECT_EQ(editRevLimit(s, " 7000", LimiterKey::Plus, false, status), " 7000");
    EXPECT_EQ(s.rom.bytes(), before.bytes());
    ASSERT_EQ(status.lines.size(), 1u);
    EXPECT_NE(status.lines[0].find("rev4"), std::string::npos);
    EXPECT_TRUE(link.writes.empty());
}

TEST(SpeedLimitEdit, MinusStepsDownToZeroAndStaysThere)
{
    EditorState s = demoLikeState(); // speedtimes 2
    common::StatusLines status;
    RecordingWriteThrough link(s);
    std::string text = " 30";
    for (const char* expected : {" 20", " 10", " 0", " 0"}) {
        text = editSpeedLimit(s, text, LimiterKey::Minus, false, status);
        EXPECT_EQ(text, expected);
    }
    EXPECT_EQ(editSpeedLimit(s, " 350", LimiterKey::Plus, true, status), " 400");
    for (std::uint32_t a = 0x7458; a < 0x745C; ++a)
        EXPECT_EQ(s.rom.at(a), 200);
    EXPECT_EQ(link.writes.size(), 5u * 4);
    EXPECT_EQ(link.writes.back(), (RecordedWrite{0x745B, {200}}));
    EXPECT_TRUE(status.lines.empty());
}

TEST(SpeedLimitEdit, AnotherKeyRewritesTheValueAndTheByteWidthClamps)
{
    EditorState s = demoLikeState();
    s.def.speedtimes = 1;
    common::StatusLines status;
    RecordingWriteThrough link(s);
    EXPECT_EQ(editSpeedLimit(s, " 180", LimiterKey::Other, false, status), " 180");
    EXPECT_EQ(link.writes.size(), 4u);
    EXPECT_EQ(editSpeedLimit(s, " 300", LimiterKey::Other, false, status), " 255");
    EXPECT_EQ(s.rom.at(0x7459), 255);
    EXPECT_EQ(status.lines.size(), 1u);
}
