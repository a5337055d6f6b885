#include "vantrell/tools/core/AirflowMeterSwap.h"
#include "vantrell/document/tests/DocumentTestSupport.h"

#include "ToolTestSupport.h"
#include "vantrell/tools/core/InjectorTools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using vantrell::testing::poke;

using namespace vantrell;
using namespace vantrell::testing;
namespace fs = std::filesystem;

namespace {

// A program folder with config/afm.ini and afm/ curve files, removed at the end of the test.
class MeterFolder : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("vantrell_afm_" + uniqueToken() + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "config");
        fs::create_directories(root / "afm");
        state = demoLikeState();
        state.folders = ProgramFolders::under(root.string());
        // Meter 5 is the stock meter (300 hp); meter 2 a 128-word curve; meter 7 a bigger meter.
        writeMeter(0, "Small", "small.afm", "180", "64", 32);
        writeMeter(2, "Mid 128 words", "mid.afm", "240", "256", 128);
        writeMeter(5, "Stock", "stock.afm", "300", "128", 64);
        writeMeter(6, "Oversize", "big.afm", "360", "300", 128);
        writeMeter(7, "Race", "race.afm", "450", "256", 128);
        writeMeter(8, "No rating", "norating.afm", "0", "128", 64);
        writeIni(1, "Missing file", "nothere.afm", "200", "128");
    }
    void TearDown() override { fs::remove_all(root); }

    void writeIni(int index, const std::string& name, const std::string& file, const std::string& hp,
                  const std::string& size)
    {
        std::ofstream ini(root / "config" / "afm.ini", std::ios::app);
        ini << "[" << index << "]\nname=" << name << "\nfile=" << file << "\nhp=" << hp << "\nsize=" << size
            << "\n\n";
    }
    // Curve words 1000 + 10 * index + the meter index, high byte first.
    void writeMeter(int index, const std::string& name, const std::string& file, const std::string& hp,
                    const std::string& size, int words)
    {
        writeIni(index, name, file, hp, size);
        std::ofstream out(root / "afm" / file, std::ios::binary);
        for (int w = 0; w < words; ++w) {
            const int v = word(index, w);
            out.put(static_cast<char>(v >> 8));
            out.put(static_cast<char>(v & 0xFF));
        }
    }
    static int word(int meter, int w) { return 1000 + 10 * w + meter; }

    std::vector<std::uint8_t> romCurve() const
    {
        auto r = state.rom.range(0x7500, 128);
        return {r.begin(), r.end()};
    }

    fs::path root;
    EditorState state;
    common::StatusLines status;
    RecordingWriteThrough link{state};
    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(MeterFolder, LoadingTheListSelectsTheStockMeterAndKeepsTheRomCurve)
{
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    EXPECT_EQ(swap.captions()[2], "Mid 128 words");
    EXPECT_EQ(swap.captions()[3], "unknown value");
    EXPECT_EQ(swap.selected(), 5);
    EXPECT_EQ(swap.chosenRating(), 300);
    EXPECT_EQ(swap.workingCurve(), romCurve());
    EXPECT_TRUE(status.lines.empty());
}

TEST_F(MeterFolder, ALongerCurveGivesItsLastWords)
{
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    ASSERT_TRUE(swap.chooseMeter(state, 2, status)); // 128 words into a 64-word map
    const auto& curve = swap.workingCurve();
    ASSERT_EQ(curve.size(), 128u);
    for (int w = 0; w < 64; ++w)
        EXPECT_EQ(curve[2 * w] * 256 + curve[2 * w + 1], word(2, 64 + w)) << w;
    EXPECT_EQ(swap.chosenRating(), 240);
}

TEST_F(MeterFolder, CommitWritesVqMapThenKThenAfLimit)
{
    poke(state.rom, 0x7440, 0x30);
    poke(state.rom, 0x7441, 0x00);
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    ASSERT_TRUE(swap.chooseMeter(state, 7, status)); // 450 hp against the stock 300
    ASSERT_TRUE(swap.commit(state, status, dialogs));
    EXPECT_EQ(state.rom.at(0x7500) * 256 + state.rom.at(0x7501), word(7, 64));
    EXPECT_EQ(state.rom.at(0x7440) * 256 + state.rom.at(0x7441), 0x4800); // 12288 x 1.5
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(state.rom.at(0x7480 + i), 254);
    EXPECT_EQ(status.lines.back(), afm_messages::kCommitted);
    ASSERT_EQ(link.writes.size(), 3u);
    EXPECT_EQ(link.writes[0].address, 0x7500u);
    EXPECT_EQ(link.writes[0].bytes, romCurve());
    EXPECT_EQ(link.writes[1], (RecordedWrite{0x7440, {0x48, 0x00}}));
    EXPECT_EQ(link.writes[2], (RecordedWrite{0x7480, std::vector<std::uint8_t>(16, 254)}));
}

TEST_F(MeterFolder, CommitWithTheStockMeterKeepsKAndTheCurve)
{
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    const RomBuffer before = state.rom.buffer();
    ASSERT_TRUE(swap.commit(state, status, dialogs));
    for (std::size_t i = 0; i < state.rom.size(); ++i) {
        if (i < 0x7480 || i >= 0x7490) {
            ASSERT_EQ(state.rom.at(i), before.at(i)) << i;
        }
    }
}

TEST_F(MeterFolder, LeavingThePageDiscardsTheCurveButNotTheRating)
{
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    const auto curve = romCurve();
    ASSERT_TRUE(swap.chooseMeter(state, 7, status));
    swap.fillCurveFromRom(state); // leave and come back
    ASSERT_TRUE(swap.commit(state, status, dialogs));
    EXPECT_EQ(romCurve(), curve);
    EXPECT_EQ(state.rom.at(0x7480), 254);
}

TEST_F(MeterFolder, UnusableMetersAreRefusedAndThePreviousCurveStays)
{
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    ASSERT_TRUE(swap.chooseMeter(state, 2, status));
    const auto curve = swap.workingCurve();
    for (int meter : {0, 1, 6, 3}) { // too few words, missing file, size above 256, no section at all
        status.lines.clear();
        EXPECT_FALSE(swap.chooseMeter(state, meter, status)) << meter;
        ASSERT_EQ(status.lines.size(), 1u) << meter;
        EXPECT_NE(status.lines[0].find("refused"), std::string::npos);
        EXPECT_EQ(swap.workingCurve(), curve);
        EXPECT_EQ(swap.selected(), 2);
        EXPECT_EQ(swap.chosenRating(), 240);
    }
}

TEST_F(MeterFolder, CommitRefusalsLeaveTheRomUnchanged)
{
    AirflowMeterSwap swap;
    const RomBuffer before = state.rom.buffer();
    // Nothing selected: a beep and nothing else.
    EXPECT_FALSE(swap.commit(state, status, dialogs));
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_TRUE(status.lines.empty());

    swap.loadMeterList(state, status);
    ASSERT_TRUE(swap.chooseMeter(state, 8, status)); // rating 0
    EXPECT_FALSE(swap.commit(state, status, dialogs));
    EXPECT_EQ(status.lines.back().rfind("AFM commit refused: ", 0), 0u);

    ASSERT_TRUE(swap.chooseMeter(state, 7, status));
    state.def.aflimit = "&h7ff8"; // 16 bytes would reach past the end
    EXPECT_FALSE(swap.commit(state, status, dialogs));
    EXPECT_NE(status.lines.back().find("aflimit"), std::string::npos);
    EXPECT_EQ(state.rom.bytes(), before.bytes());
    EXPECT_TRUE(link.writes.empty());
}

TEST_F(MeterFolder, CommitClampsKWithTheResizeMessage)
{
    poke(state.rom, 0x7440, 0xF0);
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    ASSERT_TRUE(swap.chooseMeter(state, 7, status));
    ASSERT_TRUE(swap.commit(state, status, dialogs));
    EXPECT_EQ(state.rom.at(0x7440), 0xFF);
    EXPECT_EQ(state.rom.at(0x7441), 0xFF);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{injector_messages::kClamp});
}

TEST_F(MeterFolder, AVqMapAbove255BytesIsWrittenInPieces)
{
    state.def.vqsize = "256";
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status); // the 64-word stock curve cannot fill 128 words: nothing selected
    EXPECT_FALSE(swap.selected().has_value());
    EXPECT_EQ(status.lines.size(), 1u);
    ASSERT_TRUE(swap.chooseMeter(state, 2, status));
    ASSERT_TRUE(swap.commit(state, status, dialogs));
    ASSERT_GE(link.writes.size(), 2u);
    EXPECT_EQ(link.writes[0].address, 0x7500u);
    EXPECT_EQ(link.writes[0].bytes.size(), 255u);
    EXPECT_EQ(link.writes[1].address, 0x7500u + 255);
    EXPECT_EQ(link.writes[1].bytes.size(), 1u);
    EXPECT_EQ(link.writes[2].address, 0x7440u);
}

TEST_F(MeterFolder, GraphIsBackgroundGridDotAndOneLineAWord)
{
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    ASSERT_TRUE(swap.chooseMeter(state, 2, status));
    const auto commands = swap.graphCommands(state);
    ASSERT_EQ(commands.size(), 1u + 17 + 17 + 1 + 64);
    EXPECT_EQ(commands[0], (GraphCommand{GraphCommand::Kind::Frame, 10, 1000, 590, 69000, Rgb{0, 0, 0}}));
    EXPECT_EQ(commands[17],
              (GraphCommand{GraphCommand::Kind::Line, 572, 2000, 572, 68000, Rgb{128, 128, 128}}));
    EXPECT_EQ(commands[34],
              (GraphCommand{GraphCommand::Kind::Line, 60, 67536, 572, 67536, Rgb{128, 128, 128}}));
    EXPECT_EQ(commands[35], (GraphCommand{GraphCommand::Kind::Dot, 60, 67700, 60, 67700, Rgb{0, 255, 0}}));
    // step = 512 / 128 = 4: word w ends at x = 60 + 8w.
    EXPECT_EQ(commands[36],
              (GraphCommand{GraphCommand::Kind::Line, 60, 67700, 60, 67700 - word(2, 64), Rgb{255, 255, 0}}));
    EXPECT_EQ(commands[37].x1, 60);
    EXPECT_EQ(commands[37].x2, 68);
    EXPECT_EQ(commands.back().x2, 60 + 126 * 4);
    EXPECT_EQ(commands.back().y2, 67700 - word(2, 127));
}
