// What the boards hold, against the real virtual-board program over a pseudo-terminal: verify, the
// sync check when going online, and the upload of only the blocks that differ.
#include "EditorTestSupport.h"

#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"
#include "testsupport/VirtualBoard.h"
#include "testsupport/WidgetLookup.h"

#include <QAction>
#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

namespace vantrell {
namespace {

using testing::ProgramFolder;
using testing::TestDialogs;
using testsupport::child;
using testsupport::trigger;

constexpr std::uint32_t kFuelMap = 0x7000;

class BoardVerify : public ::testing::Test
{
  protected:
    // Board 1 holds the demo image; board 2 an image that differs in three blocks, five bytes.
    void SetUp() override
    {
        std::string other = folder.read("data/demo.bin");
        for (std::uint32_t a : {0x7005u, 0x7210u, 0x7211u, 0x7212u, 0x7500u})
            other[a] = static_cast<char>(other[a] ^ 0x21);
        folder.write("data/other.bin", other);
        board = std::make_unique<testsupport::VirtualBoard>(
            QStringList{"--boards", "1,2", "--size", "27c256", "--no-pacing", "--load",
                        QString::fromStdString(folder.file("data/demo.bin") + "@1"), "--load",
                        QString::fromStdString(folder.file("data/other.bin") + "@2"), "--program-folder",
                        folder.path(), "--port-number", "1"});
        ASSERT_TRUE(board->start()) << board->errorText().toStdString();
        window = std::make_unique<MainWindow>(folder.path(), dialogs, port, clock, testing::noPorts);
        window->parts().pages->showPage(1);
    }
    void TearDown() override
    {
        window.reset();
        if (board)
            board->quit();
    }
    void goOnline(bool check)
    {
        child<QCheckBox>(*window, "check_contents_online")->setChecked(check);
        testing::setUpTwoBoards(*window);
        trigger(*window, "menu_emulator_toggle");
        ASSERT_TRUE(window->parts().link().isOnline()) << log();
    }
    std::string log() const { return window->parts().statusWindow()->log().text(); }
    // Frames of `command` ('R' chunk read, 'X' verified block write, 'w' short write) since the last call.
    int frames(char command)
    {
        int n = 0;
        for (const auto& f : board->frames().value_or(std::vector<std::vector<std::uint8_t>>{}))
            n += f.size() > 2 && f[2] == static_cast<std::uint8_t>(command);
        return n;
    }
    int countFrames(char command, const std::vector<std::vector<std::uint8_t>>& all)
    {
        int n = 0;
        for (const auto& f : all)
            n += f.size() > 2 && f[2] == static_cast<std::uint8_t>(command);
        return n;
    }
    int marks(int row, int column) const
    {
        return window->parts().grid()->model()->index(row, column).data(MapGridModel::MarksRole).toInt();
    }
    bool boardsHoldTheBuffer()
    {
        for (int id : {1, 2})
            if (board->memory(id) != window->parts().state.rom.bytes())
                return false;
        return true;
    }

    ProgramFolder folder;
    TestDialogs dialogs;
    emulink::QtSerialPort port;
    emulink::SteadyClock clock;
    std::unique_ptr<testsupport::VirtualBoard> board;
    std::unique_ptr<MainWindow> window;
};

TEST_F(BoardVerify, VerifyReportsEachBoardReadsABadChecksumAgainAndMarksTheCells)
{
    goOnline(false);
    board->frames();
    ASSERT_TRUE(board->fault("wrongchecksum", 1));
    trigger(*window, "menu_emulator_verify");
    EXPECT_TRUE(testsupport::endsWith(log(),
                                      "Emulator ID 1 holds the ROM buffer\r\n"
                                      "Emulator ID 2 differs in 3 blocks: 0x7000-0x70FF, 0x7200-0x72FF, "
                                      "0x7500-0x75FF\r\n"
                                      "Emulator ID 2: 5 bytes differ from the ROM buffer\r\n"))
        << log();
    EXPECT_EQ(frames('R'), 2 * 128 + 1); // the block with the wrong checksum was read again
    EXPECT_TRUE(window->parts().link().isOnline());
    EXPECT_EQ(marks(1, 6), int(CellMark::DiffersOnBoard)); // 0x7005: main fuel map cell (0, 5)
    EXPECT_EQ(marks(1, 5), 0);
    window->parts().pages->showPage(2); // the main ignition map at 0x7200: 0x7210-0x7212 are cells (1, 0..2)
    EXPECT_EQ(marks(2, 3), int(CellMark::DiffersOnBoard));
    EXPECT_EQ(marks(2, 4), 0);

    // A write-through that the boards take makes the cell equal again: its mark goes.
    window->parts().pages->showPage(1);
    window->parts().grid()->selectCells({1, 6, 1, 6});
    QTest::keyClick(window->parts().grid(), Qt::Key_Equal);
    EXPECT_EQ(marks(1, 6), 0);
}

TEST_F(BoardVerify, ABoardThatStopsAnsweringMidVerifyEndsOffline)
{
    goOnline(false);
    ASSERT_TRUE(board->fault("noreply", 3));
    trigger(*window, "menu_emulator_verify");
    EXPECT_NE(log().find("Emulator not responding\r\nEmulator Disabled\r\n"), std::string::npos) << log();
    EXPECT_TRUE(testsupport::endsWith(log(), "Verify incomplete - emulator disabled\r\n")) << log();
    EXPECT_FALSE(window->parts().link().isOnline());
    trigger(*window, "menu_emulator_verify"); // offline: one line, nothing sent
    EXPECT_TRUE(testsupport::endsWith(log(), "Emulator disabled - Verify needs the emulator online\r\n"));
}

TEST_F(BoardVerify, TheSyncCheckSendsExactlyTheDifferingBlocksWhenAsked)
{
    dialogs.questionAnswers.push_back(Dialogs::Answer::Yes);
    board->frames();
    goOnline(true);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0],
              "Emulator contents|Emulator ID 2 differs from the ROM buffer in 3 blocks. "
              "Send the differing blocks now?");
    const auto sent = board->frames().value_or(std::vector<std::vector<std::uint8_t>>{});
    EXPECT_EQ(countFrames('X', sent), 3);
    EXPECT_EQ(countFrames('R', sent), 2 * 128 + 3); // the check, then each block read back
    EXPECT_TRUE(boardsHoldTheBuffer());
    trigger(*window, "menu_emulator_verify");
    EXPECT_TRUE(testsupport::endsWith(log(), "Emulator ID 1 holds the ROM buffer\r\n"
                                             "Emulator ID 2 holds the ROM buffer\r\n"))
        << log();
    EXPECT_EQ(marks(1, 6), 0);
}

TEST_F(BoardVerify, EditsKeepBlocksKnownAndALoadForgetsThem)
{
    goOnline(true); // the check: board 2 differs; No leaves it as it is
    EXPECT_EQ(window->parts().knowledge.state(2, 0x70), BlockState::Differs);
    EXPECT_EQ(marks(1, 6), int(CellMark::DiffersOnBoard));
    window->parts().grid()->selectCells({3, 3, 4, 4});
    QTest::keyClick(window->parts().grid(), Qt::Key_Equal);
    EXPECT_EQ(window->parts().knowledge.state(1, 0x70), BlockState::Equal);
    board->frames();
    trigger(*window, "menu_emulator_upload_changes");
    const auto sent = board->frames().value_or(std::vector<std::vector<std::uint8_t>>{});
    EXPECT_EQ(countFrames('R', sent), 3); // nothing unknown: only the read-backs
    EXPECT_EQ(countFrames('X', sent), 3);
    EXPECT_TRUE(testsupport::endsWith(log(),
                                      "Emulator ID 1 holds the ROM buffer - nothing to send\r\n"
                                      "Emulator ID 2: 3 blocks sent and read back equal: 0x7000-0x70FF, "
                                      "0x7200-0x72FF, 0x7500-0x75FF\r\n"))
        << log();
    EXPECT_TRUE(boardsHoldTheBuffer());

    dialogs.openAnswers.push_back(folder.file("data/demo.bin"));
    trigger(*window, "menu_file_load");
    EXPECT_EQ(window->parts().knowledge.state(1, 0x70), BlockState::Unknown);
    trigger(*window, "menu_emulator_upload_changes");
    // Everything unknown is read first; the edited block, which the loaded image does not hold, then
    // goes to both boards and is read back.
    EXPECT_EQ(frames('R'), 2 * 128 + 2);
}

// Random edits, faults and uploads of changes: afterwards a verify finds both boards equal to the
// buffer, or the editor is offline and said so.
TEST_F(BoardVerify, AfterRandomEditsFaultsAndUploadsOfChangesTheBoardsHoldTheBuffer)
{
    std::mt19937 random(20261207);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const char* faults[] = {"noreply", "wrongchecksum", "wrongsum", "extra", "late"};
    goOnline(false);
    for (int step = 0; step < 40; ++step) {
        if (!window->parts().link().isOnline())
            goOnline(false);
        const int what = pick(0, 9);
        if (what < 4) {
            window->parts().grid()->selectCells({pick(1, 16), pick(1, 16), 16, 16});
            QTest::keyClick(window->parts().grid(), pick(0, 1) ? Qt::Key_Equal : Qt::Key_Minus);
        } else if (what < 6) {
            ASSERT_TRUE(board->fault(faults[pick(0, 4)], pick(1, 3)));
        } else if (what < 7) {
            trigger(*window, "menu_map_shunt"); // changes the buffer without telling the boards
        } else {
            trigger(*window, "menu_emulator_upload_changes");
        }
        if (what >= 7) {
            if (window->parts().link().isOnline()) {
                ASSERT_TRUE(board->fault("noreply", 0) && board->fault("wrongchecksum", 0) &&
                            board->fault("wrongsum", 0) && board->fault("extra", 0) &&
                            board->fault("late", 0));
                trigger(*window, "menu_emulator_verify");
                ASSERT_TRUE(testsupport::endsWith(log(), "Emulator ID 1 holds the ROM buffer\r\n"
                                                         "Emulator ID 2 holds the ROM buffer\r\n"))
                    << "step " << step << "\n"
                    << log();
            } else {
                ASSERT_NE(log().find("emulator disabled"), std::string::npos) << log();
            }
        }
    }
}

} // namespace
} // namespace vantrell
