// The tools against the real virtual-board program over a pseudo-terminal: each operation puts exactly
// its writes on the wire, in order, and the board's memory equals the ROM buffer afterwards.
#include "vantrell/tools/core/AirflowMeterSwap.h"
#include "vantrell/tools/core/InjectorTools.h"
#include "vantrell/tools/core/Limiters.h"
#include "vantrell/tools/core/MapOperations.h"

#include "vantrell/tools/core/tests/ToolTestSupport.h"
#include "emulink/Frames.h"
#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"
#include "testsupport/PauseSkippingClock.h"
#include "testsupport/VirtualBoard.h"
#include "vantrell/link/EmulatorLink.h"
#include "vantrell/link/StepWriteThrough.h"
#include "vantrell/document/RomFile.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace vantrell;
using namespace vantrell::testing;

namespace {

using testsupport::PauseSkippingClock;

struct ShortWrite
{
    std::uint32_t address;
    std::size_t length;
};

class ToolsOnline : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const std::string demo = std::string(TESSAVEL_SOURCE_DIR) + "/demo";
        ASSERT_TRUE(state.loadDefinition(demo + "/config/default", status));
        ASSERT_TRUE(readRomImage(demo + "/data/demo.bin", state.rom).ok);
        state.folders = ProgramFolders::under(demo);

        board = std::make_unique<testsupport::VirtualBoard>(QStringList{"--boards", "1", "--no-pacing"});
        ASSERT_TRUE(board->start()) << board->errorText().toStdString();
        link.setPortName(board->portPath());
        link.setRomSize(static_cast<std::uint32_t>(state.rom.size()));
        ASSERT_EQ(link.scan(), 1);
        ASSERT_TRUE(link.goOnline());
        ASSERT_TRUE(link.upload(state.rom.bytes()).complete);
        ASSERT_TRUE(board->frames()); // forget the scan's and the upload's frames
        status.lines.clear();
        state.rom.addListener(&sender);
    }
    void TearDown() override
    {
        state.rom.removeListener(&sender);
        link.goOffline();
        if (board)
            board->quit();
    }

    // The short writes the board received since the last call, as ROM addresses and lengths.
    std::vector<ShortWrite> shortWrites()
    {
        std::vector<ShortWrite> out;
        const auto frames = board->frames();
        EXPECT_TRUE(frames.has_value());
        for (const auto& f : frames.value_or(std::vector<std::vector<std::uint8_t>>{})) {
            EXPECT_GE(f.size(), 7u);
            EXPECT_EQ(f[2], emulink::kCmdShortWrite);
            const std::int64_t wire = f[4] * 256 + f[5];
            out.push_back({static_cast<std::uint32_t>(wire - link.emulatorOffset()), f[3]});
        }
        return out;
    }

    void expectBoardEqualsRom()
    {
        const auto memory = board->memory(1);
        ASSERT_TRUE(memory.has_value());
        const auto offset = static_cast<std::size_t>(link.emulatorOffset());
        ASSERT_EQ(memory->size(), offset + state.rom.size());
        EXPECT_TRUE(std::equal(state.rom.bytes().begin(), state.rom.bytes().end(), memory->begin() + offset));
    }

    EditorState state;
    common::StatusLines status;
    ScriptedDialogs dialogs;
    std::unique_ptr<testsupport::VirtualBoard> board;
    PauseSkippingClock clock;
    emulink::QtSerialPort port;
    EmulatorLink link{port, clock, status};
    // The editor's own listener: every edit step of the document goes to the link.
    StepWriteThrough sender{link};
};

void expectWrites(const std::vector<ShortWrite>& got, const std::vector<ShortWrite>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].address, want[i].address) << i;
        EXPECT_EQ(got[i].length, want[i].length) << i;
    }
}

} // namespace

TEST_F(ToolsOnline, ResizeWritesKPulseTablesAndAxesInOrder)
{
    ASSERT_TRUE(resizeInjectors(state, "555", status, dialogs).done);
    expectWrites(shortWrites(), {{0x7440, 2}, {0x7460, 16}, {0x7470, 16}, {0x7410, 16}, {0x7430, 16}});
    expectBoardEqualsRom();
}

TEST_F(ToolsOnline, TrimWritesKThenTheNullTime)
{
    ASSERT_TRUE(trimInjectors(state, "8000", "2A", status));
    expectWrites(shortWrites(), {{0x7440, 2}, {0x7442, 1}});
    expectBoardEqualsRom();
}

TEST_F(ToolsOnline, AfmCommitWritesVqMapKAndAfLimitInOrder)
{
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    ASSERT_TRUE(swap.chooseMeter(state, 7, status));
    ASSERT_TRUE(swap.commit(state, status, dialogs));
    expectWrites(shortWrites(), {{0x7500, 128}, {0x7440, 2}, {0x7480, 16}});
    expectBoardEqualsRom();
}

TEST_F(ToolsOnline, LoadedMapFileReachesTheBoardInFourWrites)
{
    const auto path = std::filesystem::temp_directory_path() / ("vantrell_online_" + uniqueToken() + ".map");
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 288; ++i)
            out.put(static_cast<char>(i * 3));
    }
    dialogs.nextPath = path.string();
    ASSERT_TRUE(loadMapFile(state, dialogs, status, MapKey::IgnHigh));
    std::filesystem::remove(path);
    expectWrites(shortWrites(), {{0x7200, 128}, {0x7280, 128}, {0x7420, 16}, {0x7430, 16}});
    expectBoardEqualsRom();
}

TEST_F(ToolsOnline, RevLimitEditReachesEveryPlace)
{
    EXPECT_EQ(editRevLimit(state, " 7000", LimiterKey::Plus, false, status), " 7050");
    expectWrites(shortWrites(), {{0x7450, 2}, {0x7452, 2}, {0x7454, 2}, {0x7456, 2}});
    expectBoardEqualsRom();
}
