// The editor against the real virtual-board program over a pseudo-terminal, through the Qt serial port
// and the real clock: edits written through while online, uploads, and a model-based run of random
// operations after which the boards hold exactly what the editor sent them.
#include "EditorTestSupport.h"

#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"
#include "testsupport/PauseSkippingClock.h"
#include "testsupport/VirtualBoard.h"
#include "testsupport/WidgetLookup.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

namespace vantrell {
namespace {

using testing::ProgramFolder;
using testing::TestDialogs;
using testsupport::trigger;

constexpr std::uint32_t kMaps[4] = {0x7000, 0x7200, 0x7100, 0x7300}; // by tab 1..4
constexpr std::uint32_t kFuelFlow = 0x7410;
constexpr std::uint32_t kIgnFlow = 0x7430;

class VirtualBoardEditor : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        board = std::make_unique<testsupport::VirtualBoard>(QStringList{"--boards", "1,2", "--size", "27c256",
                                                                        "--no-pacing", "--program-folder",
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

    // Online without the scan's three-second pause: the found list and the options are set as a scan
    // and the setup page would set them. The online search asks board 1 over the line.
    void goOnline()
    {
        testing::setUpTwoBoards(*window);
        trigger(*window, "menu_emulator_toggle");
        ASSERT_TRUE(window->parts().link().isOnline()) << window->parts().statusWindow()->log().text();
    }

    std::vector<std::vector<std::uint8_t>> shortWrites()
    {
        std::vector<std::vector<std::uint8_t>> writes;
        const auto frames = board->frames();
        EXPECT_TRUE(frames);
        for (const auto& f : frames.value_or(std::vector<std::vector<std::uint8_t>>{}))
            if (f.size() >= 7 && f[2] == 'w')
                writes.push_back(f);
        return writes;
    }

    void select(int top, int left, int bottom, int right)
    {
        window->parts().grid()->clearSelection();
        window->parts().grid()->setCurrentCell(top, left);
        window->parts().grid()->selectRange(CellBlock{top, left, bottom, right});
    }

    const RomBuffer& rom() const { return window->parts().state.rom.buffer(); }

    ProgramFolder folder;
    TestDialogs dialogs;
    emulink::QtSerialPort port;
    emulink::SteadyClock clock;
    std::unique_ptr<testsupport::VirtualBoard> board;
    std::unique_ptr<MainWindow> window;
};

TEST_F(VirtualBoardEditor, BlockPlusSendsTwelveShortWritesToEachBoardInRowOrder)
{
    goOnline();
    window->parts().pages->showPage(1);
    select(3, 5, 5, 8);
    board->frames(); // forget the search
    QTest::keyClick(window->parts().grid(), Qt::Key_Equal);
    const auto writes = shortWrites();
    ASSERT_EQ(writes.size(), 24u);
    std::size_t i = 0;
    for (int row = 3; row <= 5; ++row)
        for (int column = 5; column <= 8; ++column) {
            const std::uint32_t address = kMaps[0] + 16 * (row - 1) + (column - 1);
            for (int id : {1, 2}) {
                const auto& f = writes[i++];
                EXPECT_EQ(f[1], id);
                EXPECT_EQ(f[3], 1);
                EXPECT_EQ((f[4] << 8) | f[5], static_cast<int>(address)); // 27C256: offset 0
                EXPECT_EQ(f[6], rom().at(address));
            }
        }
    for (int id : {1, 2}) {
        const auto memory = board->memory(id);
        ASSERT_TRUE(memory);
        for (int row = 3; row <= 5; ++row)
            for (int column = 5; column <= 8; ++column) {
                const std::uint32_t address = kMaps[0] + 16 * (row - 1) + (column - 1);
                EXPECT_EQ((*memory)[address], rom().at(address));
            }
    }
}

TEST_F(VirtualBoardEditor, OfflineEditSendsNothingAndTheUploadMakesBothBoardsEqual)
{
    select(2, 2, 4, 4);
    QTest::keyClick(window->parts().grid(), Qt::Key_F);
    goOnline();
    board->frames();
    trigger(*window, "menu_emulator_upload");
    EXPECT_NE(window->parts().statusWindow()->log().text().find("buffer moved to emulator successfully"),
              std::string::npos);
    for (int id : {1, 2}) {
        const auto memory = board->memory(id);
        ASSERT_TRUE(memory);
        EXPECT_EQ(*memory, rom().bytes()) << "board " << id;
    }
}

TEST_F(VirtualBoardEditor, UndoAndRedoOnlineLeaveBothBoardsEqualToTheBuffer)
{
    goOnline();
    trigger(*window, "menu_emulator_upload");
    auto expectBoardsEqual = [this](const char* when) {
        for (int id : {1, 2}) {
            const auto memory = board->memory(id);
            ASSERT_TRUE(memory);
            EXPECT_EQ(*memory, rom().bytes()) << "board " << id << " " << when;
        }
    };
    const std::vector<std::uint8_t> before = rom().bytes();
    select(3, 5, 5, 8);
    QTest::keyClick(window->parts().grid(), Qt::Key_Plus, Qt::ShiftModifier);
    const std::vector<std::uint8_t> edited = rom().bytes();
    expectBoardsEqual("after the edit");
    board->frames();
    trigger(*window, "menu_edit_undo");
    EXPECT_EQ(rom().bytes(), before);
    EXPECT_EQ(shortWrites().size(), 24u); // the same twelve one-byte writes to each board
    expectBoardsEqual("after the undo");
    trigger(*window, "menu_edit_redo");
    EXPECT_EQ(rom().bytes(), edited);
    expectBoardsEqual("after the redo");
}

// A board that stops answering, or a line that is hung up, ends an upload from the menu within the
// link's bounds: the log says the upload is incomplete, the status label and the progress bar are
// back to rest, and the editor goes on editing the ROM buffer offline.
TEST_F(VirtualBoardEditor, UploadToASilentOrHungUpBoardEndsIncompleteAndEditingGoesOnOffline)
{
    for (const char* fault : {"noreply", "hangup"}) {
        SCOPED_TRACE(fault);
        if (std::string(fault) == "hangup") {
            window.reset();
            board->quit();
            SetUp();
        }
        goOnline();
        ASSERT_TRUE(board->fault(fault, 1000));
        trigger(*window, "menu_emulator_upload");
        const std::string log = window->parts().statusWindow()->log().text();
        EXPECT_NE(
            log.find(std::string(fault) == "hangup" ? "Comms error detected" : "Emulator not responding"),
            std::string::npos)
            << log;
        EXPECT_NE(log.find("Upload incomplete - emulator disabled\r\nChunks sent: 0 of 128\r\n"),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.find("buffer moved to emulator successfully"), std::string::npos);
        EXPECT_FALSE(window->parts().link().isOnline());
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(window->findChild<QLabel*>("status_emulator")->text(), "Emulator : INACTIVE");
        EXPECT_EQ(window->findChild<QProgressBar*>("progress")->value(), 0);
        EXPECT_EQ(dialogs.beeps, 1);
        dialogs.beeps = 0;

        select(2, 2, 2, 2);
        const std::uint8_t before = rom().at(kMaps[0] + 16 + 1);
        QTest::keyClick(window->parts().grid(), Qt::Key_Equal);
        EXPECT_EQ(rom().at(kMaps[0] + 16 + 1), before + 1);
    }
}

// Random cell keys on random blocks and maps, load axis steps, going offline and online, uploads.
// The model: what each board should hold, changed only by what an online operation sends.
TEST_F(VirtualBoardEditor, RandomOperationsLeaveTheBoardsAsTheModelSays)
{
    std::mt19937 random(20261207);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    goOnline();
    trigger(*window, "menu_emulator_upload");
    std::vector<std::uint8_t> expected = rom().bytes();
    bool online = true;
    int toggles = 0;
    int onlineEdits = 0, offlineEdits = 0;

    auto checkBoards = [&](int step) {
        for (int id : {1, 2}) {
            const auto memory = board->memory(id);
            ASSERT_TRUE(memory);
            ASSERT_EQ(*memory, expected) << "board " << id << " after step " << step;
        }
    };

    const std::pair<int, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Equal, Qt::NoModifier},
        {Qt::Key_Plus, Qt::ShiftModifier},
        {Qt::Key_Minus, Qt::NoModifier},
        {Qt::Key_Underscore, Qt::ShiftModifier},
        {Qt::Key_F, Qt::NoModifier},
        {Qt::Key_A, Qt::NoModifier},
        {Qt::Key_Plus, Qt::KeypadModifier},
        {Qt::Key_BracketLeft, Qt::NoModifier},
        {Qt::Key_BracketRight, Qt::NoModifier},
    };
    for (int step = 0; step < 300; ++step) {
        const int what = pick(0, 99);
        if (what < 3 && toggles < 4) {
            trigger(*window, "menu_emulator_toggle");
            online = window->parts().link().isOnline();
            ++toggles;
            continue;
        }
        if (what < 6) {
            trigger(*window, "menu_emulator_upload");
            if (online)
                expected = rom().bytes();
            continue;
        }
        const int tab = pick(1, 4);
        if (window->parts().pages->currentTab() != tab)
            window->parts().pages->showPage(tab);
        const int top = pick(1, 16), left = pick(1, 16);
        const int bottom = std::min(16, top + pick(0, 3)), right = std::min(16, left + pick(0, 3));
        select(top, left, bottom, right);
        const auto& [key, mods] = keys[pick(0, 8)];
        QTest::keyClick(window->parts().grid(), static_cast<Qt::Key>(key), mods);
        ++(online ? onlineEdits : offlineEdits);
        if (online) {
            if (key == Qt::Key_BracketLeft || key == Qt::Key_BracketRight) {
                const std::uint32_t axis = (tab == 1 || tab == 3 ? kFuelFlow : kIgnFlow) + (left - 1);
                expected[axis] = rom().at(axis);
            } else {
                for (int r = top; r <= bottom; ++r)
                    for (int c = left; c <= right; ++c) {
                        const std::uint32_t a = kMaps[tab - 1] + 16 * (r - 1) + (c - 1);
                        expected[a] = rom().at(a);
                    }
            }
        }
        if (online && step % 50 == 0)
            checkBoards(step);
    }
    checkBoards(300);
    EXPECT_GT(onlineEdits, 50);
    EXPECT_GT(offlineEdits, 10);
    if (!online)
        trigger(*window, "menu_emulator_toggle");
    ASSERT_TRUE(window->parts().link().isOnline());
    trigger(*window, "menu_emulator_upload");
    expected = rom().bytes();
    checkBoards(301);
}

using testsupport::PauseSkippingClock;

// The scan and the online search from the emulator setup page, as a user clicks them, against the
// boards the arguments describe (port 1 of the program folder names their line).
class VirtualBoardScan : public ::testing::Test
{
  protected:
    void start(QStringList boardArguments)
    {
        boardArguments << "--program-folder" << folder.path() << "--port-number"
                       << "1";
        board = std::make_unique<testsupport::VirtualBoard>(boardArguments);
        ASSERT_TRUE(board->start()) << board->errorText().toStdString();
        window = std::make_unique<MainWindow>(folder.path(), dialogs, port, clock, testing::noPorts);
    }
    void TearDown() override
    {
        window.reset();
        if (board)
            board->quit();
    }
    template <typename T = QWidget> T* child(const char* name)
    {
        return testsupport::child<T>(*window, name);
    }
    std::string log() const { return window->parts().statusWindow()->log().text(); }
    // The log from the scan on: the lines since the last "Config Selected".
    std::string logSinceScan() const
    {
        const std::string text = log();
        const auto at = text.find(link_messages::kScanning);
        return at == std::string::npos ? std::string() : text.substr(at);
    }

    ProgramFolder folder;
    TestDialogs dialogs;
    emulink::QtSerialPort port;
    PauseSkippingClock clock;
    std::unique_ptr<testsupport::VirtualBoard> board;
    std::unique_ptr<MainWindow> window;
};

TEST_F(VirtualBoardScan, ScanFindsBoardsOneAndTwoAndGoingOnlineReportsVersionAndSize)
{
    start({"--boards", "1,2", "--size", "27c256", "--version", "1.2"});
    ASSERT_EQ(window->parts().pages->currentTab(), 8);
    QTest::mouseClick(child<QPushButton>("button_scan"), Qt::LeftButton);
    EXPECT_EQ(logSinceScan(), "Scanning for emulators - please wait - powering comport\r\n"
                              "Found  2 emulators\r\nEmulator ID  1\r\nEmulator ID  2\r\n");
    EXPECT_GE(clock.skipped(), std::chrono::milliseconds(2900)); // the pause went through the clock
    EXPECT_EQ(window->parts().setupPage()->settings().emulator_count, 2);
    EXPECT_EQ(window->parts().link().foundCount(), 2);
    EXPECT_EQ(child<QLineEdit>("TextEmulatorsFound")->text(), "2");
    EXPECT_EQ(child<QProgressBar>("scanbar")->value(), 0);
    EXPECT_TRUE(port.isOpen()); // powered, not online
    EXPECT_FALSE(window->parts().link().isOnline());

    child<QRadioButton>("OptionRomStraight")->click();
    child<QRadioButton>("Option16bit")->click();
    EXPECT_TRUE(child<QRadioButton>("Option16bit")->isChecked());
    QTest::mouseClick(child("status_emulator"), Qt::LeftButton);
    ASSERT_TRUE(window->parts().link().isOnline()) << log();
    EXPECT_NE(log().find("Looking for emulator on selected comport for 10 seconds\r\n"
                         "Emulator found : v 1. 2\r\nCan emulate up to 27c256 eprom size\r\n"),
              std::string::npos)
        << log();
    EXPECT_EQ(child<QLabel>("status_emulator")->text(), "Emulator : ACTIVE");
    EXPECT_EQ(window->parts().link().emulatorOffset(), 0);
    // Online the label takes the engine label's background; offline it is red.
    auto background = [&](const char* name) {
        const QImage image = child(name)->grab().toImage();
        return image.pixelColor(image.width() - 5, image.height() / 2);
    };
    // The engine label is not filled itself (the status bar shows through), so its colour is read
    // from its palette: a grab of it alone is black on Windows.
    const QWidget* engine = child("status_engine");
    EXPECT_EQ(background("status_emulator"), engine->palette().color(engine->backgroundRole()));

    // Offline again from the status label: port closed.
    QTest::mouseClick(child("status_emulator"), Qt::LeftButton);
    EXPECT_FALSE(window->parts().link().isOnline());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(child<QLabel>("status_emulator")->text(), "Emulator : INACTIVE");
    EXPECT_EQ(background("status_emulator"), QColor(255, 0, 0));
}

TEST_F(VirtualBoardScan, LargerBoardMovesTheImageToTheTopOfItsMemory)
{
    start({"--boards", "2", "--size", "27c512", "--no-pacing"});
    QTest::mouseClick(child<QPushButton>("button_scan"), Qt::LeftButton);
    EXPECT_EQ(logSinceScan(), "Scanning for emulators - please wait - powering comport\r\n"
                              "Found  1 emulators\r\nEmulator ID  2\r\n");
    child<QRadioButton>("OptionRomStraight")->click();
    child<QRadioButton>("Option16bit")->click(); // one board: 8 bits
    EXPECT_TRUE(child<QRadioButton>("Option8bit")->isChecked());
    EXPECT_EQ(window->parts().setupPage()->settings().emulator_bits, 8);
    window->parts().linkActions->toggleOnline();
    ASSERT_TRUE(window->parts().link().isOnline()) << log();
    EXPECT_NE(log().find("Emulator found : v 1. 0\r\nCan emulate up to 27c512 eprom size\r\n"),
              std::string::npos)
        << log();
    EXPECT_EQ(window->parts().link().emulatorOffset(), 0x10000 - 0x8000);
    window->parts().linkActions->upload();
    const auto memory = board->memory(2);
    ASSERT_TRUE(memory);
    const auto& rom = window->parts().state.rom.bytes();
    EXPECT_TRUE(std::equal(rom.begin(), rom.end(), memory->begin() + 0x8000));
}

TEST_F(VirtualBoardScan, ScanThatFindsNoBoardKeepsTheCountAndAsksForOne)
{
    start({"--boards", "7"});
    QTest::mouseClick(child<QPushButton>("button_scan"), Qt::LeftButton);
    EXPECT_EQ(logSinceScan(), "Scanning for emulators - please wait - powering comport\r\n"
                              "Found  0 emulators\r\n"
                              "Please connect an emulator (or emulators) to selected comport\r\n"
                              "Or run the Pellory program first...\r\n");
    EXPECT_EQ(window->parts().setupPage()->settings().emulator_count, 0);
    EXPECT_EQ(child<QLineEdit>("TextEmulatorsFound")->text(), "0");
    QTest::mouseClick(child("status_emulator"), Qt::LeftButton);
    EXPECT_FALSE(window->parts().link().isOnline());
    EXPECT_NE(log().rfind(kSettingsIncomplete), std::string::npos);
}

} // namespace
} // namespace vantrell
