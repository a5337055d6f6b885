// Editing the map grid in the main window with the keys a real keyboard sends, and the emulator setup
// page, the write-through and the upload against two simulated boards in the test process.
#include "EditorTestSupport.h"
#include "vantrell/document/tests/DocumentTestSupport.h"

#include "vantrell/grid/core/CellEdit.h"
#include "testsupport/WidgetLookup.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using vantrell::testing::poke;

namespace vantrell {
namespace {

using testing::EditorRig;
using testsupport::child;
using testsupport::endsWith;
using testsupport::trigger;

constexpr std::uint32_t kFuelHigh = 0x7000;
constexpr std::uint32_t kIgnHigh = 0x7200;
constexpr std::uint32_t kFuelFlow = 0x7410;

struct ShortWrite
{
    int id;
    std::uint16_t wire;
    std::vector<std::uint8_t> data;
    bool operator==(const ShortWrite&) const = default;
};

// The short writes ('A' id 'w' N high low data C) among the frames the boards received.
std::vector<ShortWrite> shortWrites(const boardsim::BoardBus& bus)
{
    std::vector<ShortWrite> writes;
    for (const emulink::Bytes& f : bus.frameLog())
        if (f.size() >= 7 && f[0] == 'A' && f[2] == 'w')
            writes.push_back({f[1], static_cast<std::uint16_t>(f[4] << 8 | f[5]),
                              std::vector<std::uint8_t>(f.begin() + 6, f.end() - 1)});
    return writes;
}

int framesOf(const boardsim::BoardBus& bus, char command)
{
    int n = 0;
    for (const emulink::Bytes& f : bus.frameLog())
        n += f.size() > 2 && f[2] == static_cast<std::uint8_t>(command);
    return n;
}

// Scan, straight layout, 16 bits: ready to go online.
void scanAndChooseOptions(EditorRig& rig)
{
    MainWindow& w = *rig.window;
    child<QPushButton>(w, "button_scan")->click();
    child<QRadioButton>(w, "OptionRomStraight")->click();
    child<QRadioButton>(w, "Option16bit")->click();
}

// Scan, straight layout, 16 bits, online.
void goOnline(EditorRig& rig)
{
    MainWindow& w = *rig.window;
    scanAndChooseOptions(rig);
    trigger(w, "menu_emulator_toggle");
    ASSERT_TRUE(w.parts().link().isOnline()) << rig.log();
}

// Selects grid rows top..bottom and columns left..right on the main fuel page.
void select(MainWindow& w, int top, int left, int bottom, int right)
{
    w.parts().grid()->setCurrentCell(top, left);
    w.parts().grid()->selectRange(CellBlock{top, left, bottom, right});
    ASSERT_EQ(w.parts().grid()->savedSelection(), (CellBlock{top, left, bottom, right}));
}

class EditingWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        rig.start();
        w().parts().pages->showPage(1);
    }
    MainWindow& w() { return *rig.window; }
    RomDocument& rom() { return w().parts().state.rom; }
    // Puts b into the cell at grid (row, column) of the main fuel map and selects that cell alone.
    void cell(std::uint32_t map, int row, int column, std::uint8_t b)
    {
        poke(rom(), map + 16 * (row - 1) + (column - 1), b);
        w().parts().grid()->refresh();
        select(w(), row, column, row, column);
    }
    std::uint8_t at(std::uint32_t map, int row, int column)
    {
        return rom().at(map + 16 * (row - 1) + (column - 1));
    }

    EditorRig rig;
};

TEST_F(EditingWindow, KeysAsARealKeyboardSendsThem)
{
    MapGrid* grid = w().parts().grid();
    struct Case
    {
        std::uint8_t before;
        int key;
        Qt::KeyboardModifiers mods;
        std::uint8_t after;
    };
    const Case cases[] = {
        {0x05, Qt::Key_Minus, Qt::NoModifier, 0x04},
        {0x05, Qt::Key_Underscore, Qt::ShiftModifier, 0xB5}, // Shift and the minus key
        {0xFE, Qt::Key_Plus, Qt::ShiftModifier, 0xFF},       // Shift and the equals key
        {0x7F, Qt::Key_Equal, Qt::NoModifier, 0x80},
        {0x10, Qt::Key_F, Qt::NoModifier, 0xD0},
        {0xD0, Qt::Key_F, Qt::NoModifier, 0x10},
        {0x50, Qt::Key_F, Qt::ShiftModifier, 0xFF},
        {0x85, Qt::Key_F, Qt::NoModifier, 0x00},
        {0x20, Qt::Key_Plus, Qt::KeypadModifier, 0x20},                      // keypad +
        {0x20, Qt::Key_Minus, Qt::KeypadModifier, 0x20},                     // keypad -
        {0x20, Qt::Key_Plus, Qt::ShiftModifier | Qt::ControlModifier, 0x21}, // Shift not alone
        {0x20, Qt::Key_Underscore, Qt::ShiftModifier | Qt::KeypadModifier, 0x20},
        {0x20, Qt::Key_A, Qt::NoModifier, 0x20},
    };
    for (const Case& c : cases) {
        cell(kFuelHigh, 4, 6, c.before);
        QTest::keyClick(grid, static_cast<Qt::Key>(c.key), c.mods);
        EXPECT_EQ(at(kFuelHigh, 4, 6), c.after) << std::hex << int(c.before) << " key " << c.key;
        const Rgb colour = editCellColour(MapKind::Fuel, c.after);
        EXPECT_EQ(grid->cellBackground(4, 6), QColor(colour.r, colour.g, colour.b));
    }
    EXPECT_EQ(grid->cellText(4, 6), "32");

    w().parts().pages->showPage(2);
    select(w(), 2, 2, 2, 2);
    cell(kIgnHigh, 2, 2, 0x00);
    QTest::keyClick(grid, Qt::Key_Minus);
    EXPECT_EQ(at(kIgnHigh, 2, 2), 127);
    cell(kIgnHigh, 2, 2, 0x20);
    QTest::keyClick(grid, Qt::Key_F);
    EXPECT_EQ(at(kIgnHigh, 2, 2), 0xA0);
    EXPECT_EQ(grid->cellText(2, 2), "32");
    EXPECT_EQ(grid->cellBackground(2, 2), QColor(0, 0, 255));
}

TEST_F(EditingWindow, KeysOfAGermanKeyboardAreReadByWhatIsPrintedOnThem)
{
    w().parts().editKeys.useKeyboardMap(KeyboardMap::fromNames("de"));
    struct Case
    {
        Qt::Key key;
        const char* text;
        quint32 keycode;
        Qt::KeyboardModifiers mods;
        std::uint8_t after;
    };
    const Case cases[] = {
        {Qt::Key_Plus, "+", 35, Qt::NoModifier, 0x21},
        {Qt::Key_Asterisk, "*", 35, Qt::ShiftModifier, 0x30}, // Shift on the "+" key
        {Qt::Key_Equal, "=", 19, Qt::ShiftModifier, 0x20},    // Shift+0 types "=": no edit
        {Qt::Key_Minus, "-", 61, Qt::NoModifier, 0x1F},
        {Qt::Key_Underscore, "_", 61, Qt::ShiftModifier, 0x10},
    };
    for (const Case& c : cases) {
        cell(kFuelHigh, 3, 3, 0x20);
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, c.key, c.mods, c.keycode, 0, 0, QString::fromLatin1(c.text));
            QApplication::sendEvent(w().parts().grid(), &event);
        }
        EXPECT_EQ(at(kFuelHigh, 3, 3), c.after) << c.text << " keycode " << c.keycode;
    }
    // Shift let go a moment before the key: the key means what it meant when it went down.
    cell(kFuelHigh, 3, 3, 0x20);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Asterisk, Qt::ShiftModifier, 35, 0, 1, QStringLiteral("*"));
    QApplication::sendEvent(w().parts().grid(), &press);
    QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, 50, 0, 1, QString());
    QApplication::sendEvent(w().parts().grid(), &shiftUp);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Plus, Qt::NoModifier, 35, 0, 0, QStringLiteral("+"));
    QApplication::sendEvent(w().parts().grid(), &release);
    EXPECT_EQ(at(kFuelHigh, 3, 3), 0x30);
}

TEST_F(EditingWindow, HeldKeyEditsOnceOnItsRealRelease)
{
    cell(kFuelHigh, 2, 2, 0x10);
    QTest::keyEvent(QTest::Press, w().parts().grid(), Qt::Key_Equal);
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Equal, Qt::NoModifier, "=", true);
    QApplication::sendEvent(w().parts().grid(), &repeatRelease);
    QTest::keyEvent(QTest::Release, w().parts().grid(), Qt::Key_Equal);
    EXPECT_EQ(at(kFuelHigh, 2, 2), 0x11);
}

TEST_F(EditingWindow, LoadAxisKeysStepTheLeftColumnAndWaitForASelection)
{
    MapGrid* grid = w().parts().grid();
    // Nothing has been selected since start-up: the saved left column is 0 and [ ] do nothing.
    ASSERT_EQ(grid->savedSelection().left, 0);
    const std::vector<std::uint8_t> before = rom().bytes();
    QTest::keyClick(grid, Qt::Key_BracketRight);
    QTest::keyClick(grid, Qt::Key_BracketLeft);
    EXPECT_EQ(rom().bytes(), before);

    select(w(), 5, 3, 7, 6);
    poke(rom(), kFuelFlow + 2, 255);
    QTest::keyClick(grid, Qt::Key_BracketRight);
    EXPECT_EQ(rom().at(kFuelFlow + 2), 0);
    EXPECT_EQ(grid->cellText(0, 3), " 0");
    poke(rom(), kFuelFlow + 2, 0);
    QTest::keyClick(grid, Qt::Key_BraceLeft, Qt::ShiftModifier);
    EXPECT_EQ(rom().at(kFuelFlow + 2), 255);
    EXPECT_EQ(grid->cellText(0, 3), " 255");
    // The axis is shared with the knock map.
    w().parts().pages->showPage(3);
    EXPECT_EQ(grid->cellText(0, 3), " 255");
}

TEST_F(EditingWindow, Timer1TicksFirstAfterTwoSecondsThenAfterTwentyMilliseconds)
{
    MapGrid* grid = w().parts().grid();
    EXPECT_TRUE(grid->timer1().isSingleShot());
    EXPECT_EQ(grid->timer1().interval(), 2000);
    QSignalSpy saved(grid, &MapGrid::selectionSaved);
    grid->selectionTick();
    EXPECT_EQ(grid->timer1().interval(), 20);
    EXPECT_FALSE(grid->timer1().isActive());
    // The first tick saves the current cell, so [ and ] work from then on.
    EXPECT_EQ(grid->savedSelection(), (CellBlock{1, 1, 1, 1}));
    EXPECT_EQ(saved.count(), 1);
    grid->selectionTick(); // unchanged selection: no redraw asked
    EXPECT_EQ(saved.count(), 1);
    QTest::keyClick(grid, Qt::Key_A);
    EXPECT_TRUE(grid->timer1().isActive());
}

TEST_F(EditingWindow, BlockPlusOnlineSendsTwelveShortWritesToEachBoardInRowOrder)
{
    goOnline(rig);
    EXPECT_EQ(child<QLabel>(w(), "status_emulator")->text(), "Emulator : ACTIVE");
    w().parts().pages->showPage(1);
    select(w(), 3, 5, 5, 8); // 3 rows by 4 columns
    const std::vector<std::uint8_t> before = rom().bytes();
    rig.bus.clearFrameLog();
    QTest::keyClick(w().parts().grid(), Qt::Key_Equal);

    std::vector<ShortWrite> expected;
    for (int row = 3; row <= 5; ++row)
        for (int column = 5; column <= 8; ++column) {
            const std::uint32_t address = kFuelHigh + 16 * (row - 1) + (column - 1);
            const std::uint8_t b = editedCell(MapKind::Fuel, before[address], EditKey::Plus, false);
            EXPECT_EQ(rom().at(address), b);
            for (int id : {1, 2})
                expected.push_back({id, static_cast<std::uint16_t>(address), {b}});
        }
    EXPECT_EQ(shortWrites(rig.bus), expected);
    for (const auto& board : rig.bus.boards())
        for (const ShortWrite& write : expected)
            EXPECT_EQ(board.memory[write.wire], write.data[0]);

    // Releasing an arrow key sends every selected byte again, unchanged.
    rig.bus.clearFrameLog();
    const std::vector<std::uint8_t> after = rom().bytes();
    QTest::keyRelease(w().parts().grid(), Qt::Key_Right);
    EXPECT_EQ(shortWrites(rig.bus), expected);
    EXPECT_EQ(rom().bytes(), after);

    // The load axis step sends exactly its one byte to both boards.
    rig.bus.clearFrameLog();
    QTest::keyClick(w().parts().grid(), Qt::Key_BracketRight);
    const std::uint8_t axis = rom().at(kFuelFlow + 4);
    EXPECT_EQ(shortWrites(rig.bus),
              (std::vector<ShortWrite>{{1, kFuelFlow + 4, {axis}}, {2, kFuelFlow + 4, {axis}}}));
}

TEST_F(EditingWindow, OfflineEditSendsNothingUntilTheUpload)
{
    goOnline(rig);
    trigger(w(), "menu_emulator_toggle"); // offline again
    EXPECT_FALSE(w().parts().link().isOnline());
    EXPECT_EQ(child<QLabel>(w(), "status_emulator")->text(), "Emulator : INACTIVE");
    w().parts().pages->showPage(1);
    select(w(), 2, 2, 3, 3);
    rig.bus.clearFrameLog();
    QTest::keyClick(w().parts().grid(), Qt::Key_Equal, Qt::ShiftModifier);
    EXPECT_TRUE(rig.bus.frameLog().empty());

    trigger(w(), "menu_emulator_toggle"); // online: the search sends only version requests
    ASSERT_TRUE(w().parts().link().isOnline());
    EXPECT_TRUE(shortWrites(rig.bus).empty());
    const std::uint32_t edited = kFuelHigh + 16 + 1;
    EXPECT_NE(rig.bus.boards()[0].memory[edited], rom().at(edited));

    rig.bus.clearFrameLog();
    trigger(w(), "menu_emulator_upload");
    EXPECT_EQ(framesOf(rig.bus, 'X'), 2 * 128);
    // Chunk k goes to board 1, then board 2, before chunk k + 1.
    const auto& frames = rig.bus.frameLog();
    ASSERT_GE(frames.size(), 4u);
    EXPECT_EQ(frames[0][1], 1);
    EXPECT_EQ(frames[1][1], 2);
    EXPECT_EQ(frames[1][4], 0x00);
    EXPECT_EQ(frames[2][4], 0x01);
    for (const auto& board : rig.bus.boards())
        EXPECT_TRUE(std::equal(rom().bytes().begin(), rom().bytes().end(), board.memory.begin()));
    EXPECT_EQ(rig.dialogs.beeps, 1);
    EXPECT_TRUE(endsWith(rig.log(), "buffer moved to emulator successfully\r\n"));
    EXPECT_EQ(child<QProgressBar>(w(), "progress")->value(), 0);
}

TEST_F(EditingWindow, UploadToTheTopOfALargerBoardFollowsItsCapacity)
{
    EditorRig big({{1, 1, 2, 0x10000}});
    big.folder.write("config/emulator.ini", "[init]\n");
    big.start();
    MainWindow& win = *big.window;
    child<QPushButton>(win, "button_scan")->click();
    child<QRadioButton>(win, "OptionRomStraight")->click();
    child<QRadioButton>(win, "Option8bit")->click();
    big.dialogs.openAnswers.push_back(big.folder.file("data/demo.bin"));
    trigger(win, "menu_file_load");
    trigger(win, "menu_emulator_toggle");
    ASSERT_TRUE(win.parts().link().isOnline()) << big.log();
    EXPECT_NE(big.log().find("27c512 eprom size"), std::string::npos);
    EXPECT_EQ(win.parts().link().emulatorOffset(), 0x10000 - 0x8000);
    trigger(win, "menu_emulator_upload");
    const auto& memory = big.bus.boards()[0].memory;
    EXPECT_TRUE(std::equal(win.parts().state.rom.bytes().begin(), win.parts().state.rom.bytes().end(),
                           memory.begin() + 0x8000));
}

TEST_F(EditingWindow, UploadWhileOfflineSendsNothing)
{
    trigger(w(), "menu_emulator_upload");
    EXPECT_TRUE(endsWith(rig.log(), "Emulator disabled - cannot upload to emulator\r\n"));
    EXPECT_TRUE(rig.bus.frameLog().empty());
    EXPECT_EQ(rig.dialogs.beeps, 0);
}

TEST_F(EditingWindow, SetupPageRules)
{
    MainWindow& win = w();
    win.parts().pages->showPage(8);
    auto* bits8 = child<QRadioButton>(win, "Option8bit");
    auto* bits16 = child<QRadioButton>(win, "Option16bit");
    // Before a scan the bus-width options clear themselves and the toggle refuses.
    bits16->click();
    EXPECT_FALSE(bits8->isChecked());
    EXPECT_FALSE(bits16->isChecked());
    EXPECT_EQ(win.parts().setupPage()->settings().emulator_bits, 0);
    QTest::mouseClick(child(win, "status_emulator"), Qt::LeftButton);
    EXPECT_TRUE(endsWith(rig.log(), std::string(kSettingsIncomplete) + "\r\n"));
    EXPECT_FALSE(win.parts().link().isOnline());

    // The port box takes numbers and port names; anything else becomes 1.
    auto* box = child<QLineEdit>(win, "TextComport");
    box->setText("abc");
    emit box->editingFinished();
    EXPECT_EQ(box->text(), "1");
    box->setText("/dev/ttyUSB0");
    emit box->editingFinished();
    EXPECT_EQ(box->text(), "/dev/ttyUSB0");
    EXPECT_EQ(win.parts().setupPage()->portName(), "/dev/ttyUSB0");
    box->setText("1");

    child<QPushButton>(win, "button_scan")->click();
    EXPECT_EQ(child<QLineEdit>(win, "TextEmulatorsFound")->text(), "2");
    EXPECT_EQ(win.parts().setupPage()->settings().emulator_count, 2);
    EXPECT_NE(rig.log().find("Found  2 emulators\r\nEmulator ID  1\r\nEmulator ID  2\r\n"), std::string::npos)
        << rig.log();

    // Boards found but not configured: no ROM image may be loaded.
    trigger(win, "menu_file_load");
    EXPECT_TRUE(
        endsWith(rig.log(), "You need to go to the Pellory screen and configure things first...\r\n"));
    EXPECT_TRUE(rig.dialogs.opens.empty());

    win.parts().setupPage()->settings().emulator_count = 1;
    bits16->click();
    EXPECT_TRUE(bits8->isChecked());
    EXPECT_EQ(win.parts().setupPage()->settings().emulator_bits, 8);
    child<QRadioButton>(win, "OptionRomOddEven")->click();
    child<QRadioButton>(win, "OptionPullLow")->click();
    EXPECT_EQ(win.parts().setupPage()->settings().emulator_rom, 2);
    EXPECT_EQ(win.parts().setupPage()->settings().emulator_resistor, 1);

    rig.dialogs.openAnswers.push_back(rig.folder.file("data/demo.bin"));
    trigger(win, "menu_file_load");
    EXPECT_TRUE(endsWith(rig.log(), "compiling rom buffers - odd/even format with no wasted bytes\r\n"));
    EXPECT_EQ(child<QProgressBar>(win, "progress")->value(), 0);
}

TEST_F(EditingWindow, LoadWhileOnlineRemindsOfTheUploadAndClosingTakesTheLinkOffline)
{
    goOnline(rig);
    rig.dialogs.openAnswers.push_back(rig.folder.file("data/demo.bin"));
    trigger(w(), "menu_file_load");
    EXPECT_TRUE(endsWith(rig.log(),
                         "compiling rom buffers - 'straight copy' roms - identical rom image in both "
                         "emulators\r\nDont forget to upload the rom to the emulator if you havnt "
                         "already\r\n"))
        << rig.log();
    rig.dialogs.questionAnswers = {Dialogs::Answer::Cancel};
    w().close();
    EXPECT_FALSE(w().closingAccepted());
    EXPECT_FALSE(w().parts().link().isOnline());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.port.dtr());
    EXPECT_EQ(child<QLabel>(w(), "status_emulator")->text(), "Emulator : INACTIVE");
}

// Every way of ending offline paints the label red with "INACTIVE", also when the link never was online.
TEST(EmulatorLabel, EveryPathThatEndsOfflinePaintsItRed)
{
    const struct
    {
        const char* path;
        bool online; // online before the failure
        std::function<void(EditorRig&)> fail;
    } cases[] = {
        {"empty found list", false,
         [](EditorRig& rig) {
             rig.bus.injectFault(boardsim::Fault::NoReply, 2);
             child<QPushButton>(*rig.window, "button_scan")->click(); // finds none, keeps the count
             rig.window->parts().linkActions->toggleOnline();
         }},
        {"port that will not open", false,
         [](EditorRig& rig) {
             rig.port.refuseName(rig.window->parts().setupPage()->portName());
             rig.window->parts().linkActions->toggleOnline();
         }},
        {"no answer to the online search", false,
         [](EditorRig& rig) {
             rig.bus.injectFault(boardsim::Fault::NoReply, 100);
             rig.window->parts().linkActions->toggleOnline();
         }},
        {"hang-up while online", true,
         [](EditorRig& rig) { rig.port.injectCommsEvent(emulink::CommsEvent::HangUp); }},
        {"scan while online whose port will not open", true,
         [](EditorRig& rig) {
             rig.port.refuseName(rig.window->parts().setupPage()->portName());
             child<QPushButton>(*rig.window, "button_scan")->click();
         }},
    };
    for (const auto& c : cases) {
        EditorRig rig;
        rig.start();
        MainWindow& w = *rig.window;
        w.show();
        auto* label = child<QLabel>(w, "status_emulator");
        auto background = [label] {
            const QImage image = label->grab().toImage();
            return image.pixelColor(image.width() - 3, image.height() / 2);
        };
        if (c.online) {
            goOnline(rig);
        } else {
            scanAndChooseOptions(rig);
            EXPECT_NE(background(), QColor(255, 0, 0)) << c.path; // the start-up look
        }
        c.fail(rig);
        EXPECT_FALSE(w.parts().link().isOnline()) << c.path;
        EXPECT_EQ(label->text(), "Emulator : INACTIVE") << c.path;
        EXPECT_EQ(background(), QColor(255, 0, 0)) << c.path << "\n" << rig.log();
    }
}

TEST_F(EditingWindow, WindowKeysSkipTextBoxesAndLetTheGridMoveItsCursor)
{
    cell(kFuelHigh, 3, 3, 0x10);
    QTest::keyClick(w().parts().grid(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(w().parts().grid()->savedSelection(), (CellBlock{3, 3, 4, 3}));
    EXPECT_EQ(at(kFuelHigh, 3, 3), 0x10);
    // An S typed into the port box is text.
    w().parts().pages->showPage(8);
    auto* box = child<QLineEdit>(w(), "TextComport");
    box->setFocus();
    QTest::keyClicks(box, "COMS");
    EXPECT_TRUE(rig.dialogs.saves.empty());
}

} // namespace
} // namespace vantrell

namespace vantrell {
namespace {

// The cursor stays on map cells, and typing does not move it: a key other than the cursor keys
// rewrites the cells the user selected, never a cell found by its text or a header.
TEST_F(EditingWindow, CursorStaysOnMapCellsAndTypingDoesNotMoveIt)
{
    MapGrid* grid = w().parts().grid();
    select(w(), 5, 5, 5, 5);
    const QString typed = grid->cellText(9, 5).left(1); // a cell further down starts with it
    QTest::keyClick(grid, static_cast<Qt::Key>(typed.at(0).unicode()));
    EXPECT_EQ(grid->savedSelection(), (CellBlock{5, 5, 5, 5}));
    EXPECT_EQ(grid->currentRow(), 5);

    QTest::keyClick(grid, Qt::Key_Home);
    EXPECT_EQ(grid->currentColumn(), 1);
    QTest::keyClick(grid, Qt::Key_Left);
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(grid->savedSelection(), (CellBlock{1, 1, 1, 1}));

    // A click on a header changes nothing either.
    for (const QPoint cell : {QPoint(4, 0), QPoint(0, 7), QPoint(0, 0)}) {
        const QRect rect = grid->visualRect(grid->model()->index(cell.y(), cell.x()));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        EXPECT_EQ(grid->currentRow(), 1);
        EXPECT_EQ(grid->currentColumn(), 1);
        EXPECT_EQ(grid->savedSelection(), (CellBlock{1, 1, 1, 1}));
    }
}

} // namespace
} // namespace vantrell
