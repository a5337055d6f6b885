#include "vantrell/tools/core/InjectorTools.h"
#include "vantrell/document/tests/DocumentTestSupport.h"

#include "ToolTestSupport.h"
#include "vantrell/tools/core/ToolSupport.h"

#include <gtest/gtest.h>

using vantrell::testing::poke;

using namespace vantrell;
using namespace vantrell::testing;

namespace {

void setK(EditorState& s, std::uint16_t k)
{
    poke(s.rom, 0x7440, static_cast<std::uint8_t>(k >> 8));
    poke(s.rom, 0x7441, static_cast<std::uint8_t>(k & 0xFF));
}

std::uint32_t kOf(const EditorState& s)
{
    return s.rom.at(0x7440) * 256u + s.rom.at(0x7441);
}

} // namespace

TEST(InjectorResize, LargerInjectorsScaleKTablesAndAxesAndWriteInOrder)
{
    EditorState s = demoLikeState();
    setK(s, 0x3000);
    poke(s.rom, 0x7410, 90); // fuel axis: 90 * 2/3 = 60
    poke(s.rom, 0x7460, 33); // ttpmin: 22
    const auto ttpmaxBefore =
        std::vector<std::uint8_t>(s.rom.range(0x7470, 6).begin(), s.rom.range(0x7470, 6).end());
    common::StatusLines status;
    RecordingWriteThrough link(s);
    ScriptedDialogs dialogs;

    const ResizeResult r = resizeInjectors(s, "555", status, dialogs);

    ASSERT_TRUE(r.done);
    EXPECT_EQ(r.kText, "2000");
    EXPECT_EQ(kOf(s), 0x2000u);
    EXPECT_EQ(s.def.injectorsize, 555);
    EXPECT_EQ(s.rom.at(0x7410), 60);
    EXPECT_EQ(s.rom.at(0x7460), 22);
    for (std::uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(s.rom.at(0x7470 + i), ttpmaxBefore[i]);
    for (std::uint32_t i = 6; i < 16; ++i)
        EXPECT_EQ(s.rom.at(0x7470 + i), 255);
    ASSERT_GE(status.lines.size(), 4u);
    EXPECT_EQ(status.lines[0], "current k = 3000");
    EXPECT_EQ(status.lines[1], "new k = 2000");
    EXPECT_EQ(status.lines[2], "Updated k value");
    EXPECT_EQ(status.lines[3].rfind("Recommend trying NULL value of ", 0), 0u);
    EXPECT_TRUE(dialogs.messages.empty());

    ASSERT_EQ(link.writes.size(), 5u);
    const std::uint32_t order[] = {0x7440, 0x7460, 0x7470, 0x7410, 0x7430};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(link.writes[i].address, order[i]);
        EXPECT_EQ(link.writes[i].bytes.size(), i == 0 ? 2u : 16u);
        auto now = s.rom.range(order[i], link.writes[i].bytes.size());
        EXPECT_TRUE(std::equal(now.begin(), now.end(), link.writes[i].bytes.begin())) << i;
    }
}

TEST(InjectorResize, SmallerInjectorsClampKWithTheMessageBox)
{
    EditorState s = demoLikeState();
    setK(s, 0x8000);
    common::StatusLines status;
    RecordingWriteThrough link(s, false);
    ScriptedDialogs dialogs;
    const ResizeResult r = resizeInjectors(s, "100", status, dialogs);
    ASSERT_TRUE(r.done);
    EXPECT_EQ(kOf(s), 0xFFFFu);
    EXPECT_EQ(r.kText, "FFFF");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], injector_messages::kClamp);
    EXPECT_EQ(status.lines[1], "new k = 01D99A"); // 32768 x 3.7 = 121241.6, shown before the clamp
    EXPECT_EQ(status.lines[2], injector_messages::kClamp);
    EXPECT_EQ(status.lines[3], "Updated k value");
    EXPECT_TRUE(link.writes.empty()); // offline: the buffer alone changes
}

TEST(InjectorResize, NullTimeSuggestionRoundsHalvesToEven)
{
    EditorState s = demoLikeState();
    poke(s.rom, 0x7442, 0x40);
    common::StatusLines status;
    RecordingWriteThrough link(s, false);
    ScriptedDialogs dialogs;
    ASSERT_TRUE(resizeInjectors(s, "550", status, dialogs).done);
    EXPECT_EQ(status.lines[3], "Recommend trying NULL value of 4A"); // d = 21, h = 10.5 -> 10
    EXPECT_EQ(s.rom.at(0x7442), 0x40);                               // the suggestion changes nothing
}

TEST(InjectorResize, AbsentPulseTablesAreLeftAloneButCapitalHexIsAnAddress)
{
    EditorState s = demoLikeState();
    s.def.ttpmin = "&hffff";
    s.def.ttpmax = "&hffff";
    const RomBuffer before = s.rom.buffer();
    common::StatusLines status;
    RecordingWriteThrough link(s);
    ScriptedDialogs dialogs;
    ASSERT_TRUE(resizeInjectors(s, "555", status, dialogs).done);
    ASSERT_EQ(link.writes.size(), 3u);
    EXPECT_EQ(link.writes[1].address, 0x7410u);
    EXPECT_EQ(link.writes[2].address, 0x7430u);
    for (std::uint32_t i = 0; i < 32; ++i)
        EXPECT_EQ(s.rom.at(0x7460 + i), before.at(0x7460 + i));

    // "&HFFFF" is not the absence mark: it names 0xFFFF, outside a 32K ROM, and the resize refuses.
    EditorState t = demoLikeState();
    t.def.ttpmin = "&HFFFF";
    const RomBuffer tBefore = t.rom.buffer();
    common::StatusLines tStatus;
    RecordingWriteThrough tLink(t);
    EXPECT_FALSE(resizeInjectors(t, "555", tStatus, dialogs).done);
    EXPECT_EQ(t.rom.bytes(), tBefore.bytes());
    ASSERT_EQ(tStatus.lines.size(), 1u);
    EXPECT_NE(tStatus.lines[0].find("ttpmin"), std::string::npos);
}

TEST(InjectorResize, SizesThatAreNotPositiveNumbersAreRefusedWithoutChange)
{
    for (const std::string text : {"", "abc", "0", "-5", " ", "1e-320"}) {
        EditorState s = demoLikeState();
        const RomBuffer before = s.rom.buffer();
        common::StatusLines status;
        RecordingWriteThrough link(s);
        ScriptedDialogs dialogs;
        EXPECT_FALSE(resizeInjectors(s, text, status, dialogs).done) << text;
        EXPECT_EQ(s.rom.bytes(), before.bytes()) << text;
        EXPECT_EQ(s.def.injectorsize, 370);
        ASSERT_EQ(status.lines.size(), 1u);
        EXPECT_EQ(status.lines[0].rfind("Injector resize refused: ", 0), 0u);
        EXPECT_TRUE(link.writes.empty());
    }
}

TEST(InjectorResize, RescaledBytesAbove255AreClampedWithOneLineATable)
{
    EditorState s = demoLikeState();
    for (std::uint32_t i = 0; i < 16; ++i)
        poke(s.rom, 0x7460 + i, i < 3 ? 200 : 10); // three bytes of ttpmin overflow at r = 2
    for (std::uint32_t i = 0; i < 16; ++i) {
        poke(s.rom, 0x7410 + i, 20);
        poke(s.rom, 0x7430 + i, 20);
    }
    common::StatusLines status;
    RecordingWriteThrough link(s, false);
    ScriptedDialogs dialogs;
    ASSERT_TRUE(resizeInjectors(s, "185", status, dialogs).done);
    EXPECT_EQ(s.rom.at(0x7460), 255);
    EXPECT_EQ(s.rom.at(0x7463), 20);
    int clampLines = 0;
    for (const auto& line : status.lines)
        if (line.find("clamped to 255") != std::string::npos) {
            ++clampLines;
            EXPECT_EQ(line, "ttpmin: 3 bytes above 255 clamped to 255");
        }
    EXPECT_EQ(clampLines, 1);
}

TEST(InjectorResize, AddressOutsideTheRomRefusesAndShowsDash)
{
    EditorState s = demoLikeState();
    s.def.kval = "&h7fff"; // the low byte would lie past the end
    const RomBuffer before = s.rom.buffer();
    common::StatusLines status;
    RecordingWriteThrough link(s);
    ScriptedDialogs dialogs;
    EXPECT_FALSE(resizeInjectors(s, "555", status, dialogs).done);
    EXPECT_FALSE(trimInjectors(s, "8000", "10", status));
    EXPECT_FALSE(trimInjectors(s, injectorEntryTexts(s).k, "10", status)); // the field shows "-"
    EXPECT_EQ(s.rom.bytes(), before.bytes());
    ASSERT_EQ(status.lines.size(), 3u);
    EXPECT_NE(status.lines[2].find("\"kval\" address &h7fff"), std::string::npos) << status.lines[2];
    EXPECT_EQ(injectorEntryTexts(s).k, "-");
    EXPECT_EQ(injectorEntryTexts(s).nullTime, byteHex(s.rom.at(0x7442)));
}

TEST(InjectorTrim, WritesKHighByteFirstAndTheNullTime)
{
    EditorState s = demoLikeState();
    common::StatusLines status;
    RecordingWriteThrough link(s);
    ASSERT_TRUE(trimInjectors(s, "8000", "3c", status));
    EXPECT_EQ(s.rom.at(0x7440), 0x80);
    EXPECT_EQ(s.rom.at(0x7441), 0x00);
    EXPECT_EQ(s.rom.at(0x7442), 0x3C);
    EXPECT_EQ(status.lines, std::vector<std::string>{injector_messages::kTrimDone});
    ASSERT_EQ(link.writes.size(), 2u);
    EXPECT_EQ(link.writes[0], (RecordedWrite{0x7440, {0x80, 0x00}}));
    EXPECT_EQ(link.writes[1], (RecordedWrite{0x7442, {0x3C}}));

    ASSERT_TRUE(trimInjectors(s, "FFFF", "00", status));
    EXPECT_EQ(s.rom.at(0x7440), 0xFF);
    EXPECT_EQ(s.rom.at(0x7441), 0xFF);
    EXPECT_EQ(injectorEntryTexts(s).k, "FFFF");
    EXPECT_EQ(injectorEntryTexts(s).nullTime, "00");
}

TEST(InjectorTrim, TextsThatAreNotHexOrOutOfRangeAreRefused)
{
    const std::pair<std::string, std::string> cases[] = {{"10000", "10"}, {"G1", "10"},  {"", "10"},
                                                         {"8000", "100"}, {"8000", "x"}, {"8000", ""}};
    for (const auto& [k, n] : cases) {
        EditorState s = demoLikeState();
        const RomBuffer before = s.rom.buffer();
        common::StatusLines status;
        RecordingWriteThrough link(s);
        EXPECT_FALSE(trimInjectors(s, k, n, status)) << k << " " << n;
        EXPECT_EQ(s.rom.bytes(), before.bytes());
        ASSERT_EQ(status.lines.size(), 1u);
        EXPECT_EQ(status.lines[0].rfind("Injector trim refused: ", 0), 0u);
        EXPECT_TRUE(link.writes.empty());
    }
}

TEST(InjectorPageTexts, FactoryCaptionCarriesTheSignBlank)
{
    EditorState s = demoLikeState();
    EXPECT_EQ(factoryCaption(s), "Factory Injector Size is  370cc per injector");
}
