// The main window on the offscreen platform over a real program folder: start-up, ROM image load and
// save, engine definitions, the tab strip, the status log, closing.
#include "EditorTestSupport.h"
#include "vantrell/document/tests/DocumentTestSupport.h"

#include "vantrell/grid/core/GridEditing.h"
#include "vantrell/tools/MapView3D.h"

#include "common/clsIniFile.h"
#include "testsupport/WidgetLookup.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QDir>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using vantrell::testing::poke;

namespace vantrell {
namespace {

using testing::EditorRig;
using testsupport::endsWith;
using testsupport::trigger;

std::string labelText(const MainWindow& w, const char* name)
{
    auto* label = w.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text().toStdString() : "<missing " + std::string(name) + ">";
}

void click(MainWindow& w, const char* name)
{
    auto* widget = w.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(widget, nullptr) << name;
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

std::vector<std::uint8_t> fileBytes(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    f.open(QIODevice::ReadOnly);
    const QByteArray a = f.readAll();
    return std::vector<std::uint8_t>(a.begin(), a.end());
}

// The status window's first line: where the program keeps its files.
std::string programFolderLine(const EditorRig& rig)
{
    return "Program folder: " + QDir::toNativeSeparators(rig.folder.path()).toStdString() + "\r\n";
}

bool allZero(const RomDocument& rom)
{
    return std::all_of(rom.bytes().begin(), rom.bytes().end(), [](std::uint8_t b) { return b == 0; });
}

TEST(ShellStartUp, FirstRunWithAnEmptySettingsFileShowsUnknownFileAndEndsOnTheSetupPage)
{
    EditorRig rig;
    rig.folder.write("config/emulator.ini", "");
    rig.start();
    MainWindow& w = *rig.window;
    EXPECT_EQ(labelText(w, "status_filename"), "Filename : unknown value");
    EXPECT_EQ(labelText(w, "status_engine"), "Engine : Demo turbo six 2.5");
    EXPECT_EQ(labelText(w, "status_emulator"), "Emulator : INACTIVE");
    EXPECT_EQ(labelText(w, "status_help"), "Press F1 for help");
    EXPECT_EQ(w.parts().state.rom.size(), 32768u);
    EXPECT_TRUE(allZero(w.parts().state.rom));
    EXPECT_EQ(w.parts().grid()->cellText(1, 1), "0");
    EXPECT_EQ(w.parts().pages->currentTab(), 8);
    EXPECT_FALSE(w.findChild<QWidget*>("frame_pellory")->isHidden());
    EXPECT_TRUE(w.findChild<QWidget*>("frame_grid")->isHidden());
    EXPECT_EQ(w.focusWidget(), w.findChild<QWidget*>("TextComport")); // the keyboard starts at the port
    EXPECT_EQ(rig.log(), programFolderLine(rig) + "Config Selected\r\n");
    EXPECT_TRUE(rig.dialogs.opens.empty());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(w.parts().grid()->timer1().interval(), 2000);
    EXPECT_TRUE(w.parts().grid()->timer1().isSingleShot());
    EXPECT_TRUE(w.parts().grid()->timer1().isActive());
    EXPECT_TRUE(w.findChild<QRadioButton*>("Option1")->isChecked());
    EXPECT_NE(w.windowTitle().indexOf("Tessavel"), -1);
}

TEST(ShellStartUp, RememberedRelativeImageIsLoadedWithoutADialog)
{
    EditorRig rig; // the demo settings remember data\demo.bin
    rig.start();
    MainWindow& w = *rig.window;
    EXPECT_TRUE(rig.dialogs.opens.empty());
    EXPECT_EQ(w.parts().state.rom.bytes(), fileBytes(rig.folder.file("data/demo.bin")));
    EXPECT_EQ(labelText(w, "status_filename"), "Filename : demo.bin");
    EXPECT_EQ(rig.log(),
              programFolderLine(rig) +
                  "No emulators connected - so ofline editing of rom only :)\r\nConfig Selected\r\n");
    EXPECT_FALSE(w.parts().romImages->firstLoad());
    // The load remembers the full path.
    common::clsIniFile ini;
    ini.File = rig.folder.file("config/emulator.ini");
    EXPECT_EQ(common::normalisePath(ini.GetSetting("init", "filename")), rig.folder.file("data/demo.bin"));
}

TEST(ShellStartUp, DeletedRememberedImageLoadsNothingSilentlyAndTheNextLoadAsks)
{
    EditorRig rig;
    rig.folder.remove("data/demo.bin");
    rig.start();
    MainWindow& w = *rig.window;
    EXPECT_TRUE(rig.dialogs.opens.empty());
    EXPECT_TRUE(allZero(w.parts().state.rom));
    EXPECT_EQ(rig.log(), programFolderLine(rig) + "Config Selected\r\n");

    click(w, "status_filename");
    ASSERT_EQ(rig.dialogs.opens.size(), 1u);
    EXPECT_EQ(rig.dialogs.opens[0].title, "Open Rom Image");
    EXPECT_EQ(rig.dialogs.opens[0].filter, "Rom Images|*.bin");
    EXPECT_EQ(rig.dialogs.opens[0].folder, rig.folder.file("data"));
    EXPECT_TRUE(endsWith(rig.log(), "Choose rom image to load\r\nLoad Canceled\r\n"));
}

TEST(ShellRomFiles, LoadShowsTheNameAndSaveTheFullPathAndLeavesOnlyRomSaved)
{
    EditorRig rig;
    rig.folder.write("config/emulator.ini", "[init]\n");
    rig.start();
    MainWindow& w = *rig.window;
    rig.dialogs.openAnswers.push_back(rig.folder.file("data/demo.bin"));
    trigger(w, "menu_file_load");
    EXPECT_EQ(labelText(w, "status_filename"), "Filename : demo.bin");
    EXPECT_EQ(w.parts().state.rom.bytes(), fileBytes(rig.folder.file("data/demo.bin")));
    EXPECT_TRUE(endsWith(rig.log(), "No emulators connected - so ofline editing of rom only :)\r\n"));

    poke(w.parts().state.rom, 0x7000, 0x42);
    const std::string target = rig.folder.file("data/saved.bin");
    rig.dialogs.saveAnswers.push_back(target);
    trigger(w, "menu_file_save");
    ASSERT_EQ(rig.dialogs.saves.size(), 1u);
    EXPECT_EQ(rig.dialogs.saves[0].title, "Save Rom Image");
    EXPECT_EQ(rig.log(), "Rom Saved");
    EXPECT_EQ(labelText(w, "status_filename"), "Filename : " + target);
    EXPECT_EQ(fileBytes(target), w.parts().state.rom.bytes());
    common::clsIniFile ini;
    ini.File = rig.folder.file("config/emulator.ini");
    EXPECT_EQ(ini.GetSetting("init", "filename"), target);
    // The next line starts a line of its own.
    trigger(w, "menu_file_save");
    EXPECT_EQ(rig.log(), "Rom Saved\r\nSave Canceled\r\n");
}

TEST(ShellRomFiles, ProgramFolderAndImageWithAnyCharactersLoadSaveAndAreRemembered)
{
    EditorRig rig(QString::fromUtf8("Jürgen Ø/数据"));
    QDir().mkpath(rig.folder.path() + QString::fromUtf8("/data/Ölwanne 油"));
    const std::string image = rig.folder.file("data/Ölwanne 油/stock ß.bin");
    rig.folder.write("data/Ölwanne 油/stock ß.bin", rig.folder.read("data/demo.bin"));
    rig.start();
    MainWindow& w = *rig.window;
    ASSERT_TRUE(w.parts().state.definitionUsable);
    rig.dialogs.openAnswers.push_back(image);
    trigger(w, "menu_file_load");
    EXPECT_EQ(labelText(w, "status_filename"), "Filename : stock ß.bin");
    EXPECT_EQ(w.parts().state.rom.bytes(), fileBytes(rig.folder.file("data/demo.bin")));

    poke(w.parts().state.rom, 0x7000, 0x42);
    const std::string saved = rig.folder.file("data/Ölwanne 油/getunt ä.bin");
    rig.dialogs.saveAnswers.push_back(saved);
    trigger(w, "menu_file_save");
    EXPECT_EQ(rig.log(), "Rom Saved");
    EXPECT_EQ(fileBytes(saved), w.parts().state.rom.bytes());

    // The next start loads the remembered image without asking.
    rig.window.reset();
    rig.start();
    EXPECT_EQ(rig.dialogs.opens.size(), 1u);
    EXPECT_EQ(rig.window->parts().state.rom.at(0x7000), 0x42);
    EXPECT_EQ(labelText(*rig.window, "status_filename"), "Filename : getunt ä.bin");
}

TEST(ShellRomFiles, OpenMiscPageShowsTheNewImageAfterALoadSoNoKeyWritesAStaleLimit)
{
    EditorRig rig;
    // A second image whose four rev limits say 6000 rpm (480 steps of 12.5 rpm, 0x01E0).
    std::string other = rig.folder.read("data/demo.bin");
    for (std::size_t a : {0x7450u, 0x7452u, 0x7454u, 0x7456u}) {
        other[a] = 0x01;
        other[a + 1] = static_cast<char>(0xE0);
    }
    rig.folder.write("data/other.bin", other);
    rig.start();
    MainWindow& w = *rig.window;
    w.parts().pages->showPage(7);
    auto* rev = w.findChild<QTableWidget*>(QStringLiteral("rev_limiter_entry"));
    ASSERT_NE(rev, nullptr);
    EXPECT_EQ(rev->item(0, 1)->text(), " 7000");

    rig.dialogs.openAnswers.push_back(rig.folder.file("data/other.bin"));
    trigger(w, "menu_file_load");
    EXPECT_EQ(rev->item(0, 1)->text(), " 6000");
    QTest::keyClick(rev, Qt::Key_Right); // any key rewrites the shown limit into every place
    EXPECT_EQ(w.parts().state.rom.bytes(), std::vector<std::uint8_t>(other.begin(), other.end()));

    // A definition load empties the buffer: the page shows that too.
    rig.dialogs.openAnswers.push_back(rig.folder.file("config/demo32k.ini"));
    trigger(w, "menu_file_config");
    EXPECT_EQ(rev->item(0, 1)->text(), " 0");
}

TEST(ShellRomFiles, FailedSaveIsReportedAndShortOrUnreadableImagesAreHandled)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    const std::vector<std::uint8_t> before = w.parts().state.rom.bytes();

    rig.dialogs.saveAnswers.push_back(rig.folder.file("no-such-folder/out.bin"));
    trigger(w, "menu_file_save");
    EXPECT_NE(rig.log().find("Rom not saved to "), std::string::npos);
    EXPECT_EQ(rig.log().find("Rom Saved"), std::string::npos);

    rig.folder.write("data/short.bin", std::string(1000, '\x11'));
    rig.dialogs.openAnswers.push_back(rig.folder.file("data/short.bin"));
    trigger(w, "menu_file_load");
    EXPECT_NE(rig.log().find("is shorter than the rom size: 1000 of 32768 bytes read"), std::string::npos);
    EXPECT_EQ(w.parts().state.rom.at(999), 0x11);
    EXPECT_EQ(w.parts().state.rom.at(1000), 0);
    EXPECT_EQ(w.parts().state.rom.at(0x7000), 0);

    // An image larger than the definition's rom size says so, naming both sizes.
    rig.folder.write("data/long.bin", std::string(65536, '\x22'));
    rig.dialogs.openAnswers.push_back(rig.folder.file("data/long.bin"));
    trigger(w, "menu_file_load");
    EXPECT_NE(rig.log().find("Rom image long.bin is 65536 bytes, larger than the rom size of the engine "
                             "config (32768 bytes): only its first 32768 bytes were read\r\n"),
              std::string::npos)
        << rig.log();
    EXPECT_EQ(w.parts().state.rom.at(0x7fff), 0x22);

    // A typed name of a file that does not exist loads nothing and says nothing.
    const std::string logBefore = rig.log();
    rig.dialogs.openAnswers.push_back(rig.folder.file("data/missing.bin"));
    trigger(w, "menu_file_load");
    EXPECT_EQ(rig.log(), logBefore);
    EXPECT_NE(before, w.parts().state.rom.bytes());
}

TEST(ShellDefinitions, SixteenKilobyteDefinitionReadsOnlyTheFirstSixteenKilobytes)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    w.parts().pages->showPage(1);
    w.findChild<QRadioButton*>("Option3")->click();
    rig.dialogs.openAnswers.push_back(rig.folder.file("config/demo16k.ini"));
    trigger(w, "menu_file_config");
    EXPECT_EQ(rig.dialogs.opens.back().title, "Open Engine Config File");
    EXPECT_EQ(rig.dialogs.opens.back().filter, "Config Files|*.ini");
    EXPECT_EQ(w.parts().state.rom.size(), 16384u);
    EXPECT_TRUE(allZero(w.parts().state.rom));
    EXPECT_TRUE(w.findChild<QRadioButton*>("Option1")->isChecked());
    EXPECT_EQ(w.parts().gridPage()->mode(), DisplayMode::Data);
    EXPECT_EQ(w.parts().grid()->cellText(1, 1), "0");
    EXPECT_EQ(w.parts().link().emulatorOffset(), 0x8000 - 16384);

    rig.dialogs.openAnswers.push_back(rig.folder.file("data/demo.bin"));
    trigger(w, "menu_file_load");
    const std::vector<std::uint8_t> file = fileBytes(rig.folder.file("data/demo.bin"));
    ASSERT_EQ(w.parts().state.rom.size(), 16384u);
    EXPECT_TRUE(
        std::equal(w.parts().state.rom.bytes().begin(), w.parts().state.rom.bytes().end(), file.begin()));
    common::clsIniFile ini;
    ini.File = rig.folder.file("config/emulator.ini");
    EXPECT_EQ(ini.GetSetting("init", "engine"), "demo16k.ini");
}

TEST(ShellDefinitions, RefusedDefinitionsKeepThePreviousOne)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    const std::vector<std::uint8_t> rom = w.parts().state.rom.bytes();
    const std::string engineLabel = labelText(w, "status_engine");
    const std::string good = rig.folder.read("config/default");
    struct Case
    {
        const char* name;
        std::string from, to;
    };
    const Case cases[] = {
        {"no-romsize.ini", "romsize=32768", ""},
        {"text-romsize.ini", "romsize=32768", "romsize=big"},
        {"odd-romsize.ini", "romsize=32768", "romsize=1000"},
        {"huge-romsize.ini", "romsize=32768", "romsize=131072"},
        {"no-map.ini", "fuelhighmap=&h7000", ""},
        {"bad-axis.ini", "ignflow=&h7430", "ignflow=axis"},
        {"map-past-end.ini", "fuellowmap=&h7100", "fuellowmap=&h7f80"},
    };
    for (const Case& c : cases) {
        std::string text = good;
        const auto at = text.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.name;
        text.replace(at, c.from.size(), c.to);
        rig.folder.write(std::string("config/") + c.name, text);
        rig.dialogs.openAnswers.push_back(rig.folder.file(std::string("config/") + c.name));
        trigger(w, "menu_file_config");
        EXPECT_NE(rig.log().find(std::string("Engine config ") + c.name + " not loaded: "), std::string::npos)
            << c.name;
        EXPECT_EQ(w.parts().state.rom.bytes(), rom) << c.name;
        EXPECT_EQ(labelText(w, "status_engine"), engineLabel) << c.name;
    }
    common::clsIniFile ini;
    ini.File = rig.folder.file("config/emulator.ini");
    EXPECT_EQ(ini.GetSetting("init", "engine"), "default");

    rig.dialogs.openAnswers.clear();
    click(w, "status_engine");
    EXPECT_TRUE(endsWith(rig.log(), "Choose engine config file to load\r\nConfig Canceled\r\n"));
}

TEST(ShellDefinitions, RefusedDefaultStillStartsAndMapOperationsRefusePolitely)
{
    EditorRig rig;
    rig.folder.write("config/default", "[initialisation]\nconfig=broken\n");
    rig.start();
    MainWindow& w = *rig.window;
    EXPECT_EQ(w.parts().state.rom.size(), 0u);
    EXPECT_NE(rig.log().find("Engine config default not loaded: "), std::string::npos);
    EXPECT_NE(rig.log().find("the rom image demo.bin cannot be loaded"), std::string::npos);
    EXPECT_TRUE(endsWith(rig.log(), "Config Selected\r\n"));
    w.parts().pages->showPage(1);
    EXPECT_EQ(w.parts().grid()->cellText(1, 1), "");
    QTest::keyClick(w.parts().grid(), Qt::Key_Equal);
    EXPECT_TRUE(endsWith(rig.log(), "No usable engine config loaded - the maps cannot be edited\r\n"));
    rig.dialogs.saveAnswers.push_back(rig.folder.file("data/x.bin"));
    trigger(w, "menu_file_save");
    EXPECT_TRUE(endsWith(rig.log(), "there is no rom image to save\r\n"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(rig.folder.file("data/x.bin"))));

    // A good definition afterwards brings the editor back.
    rig.dialogs.openAnswers.push_back(rig.folder.file("config/demo32k.ini"));
    trigger(w, "menu_file_config");
    EXPECT_EQ(w.parts().state.rom.size(), 32768u);
    EXPECT_EQ(w.parts().grid()->cellText(1, 1), "0");
}

TEST(ShellStatusLog, CutKeepsExactlyTheLastFiveThousandCharacters)
{
    EditorRig rig;
    rig.start();
    StatusWindow& status = *rig.window->parts().statusWindow();
    std::string full = status.log().text();
    int n = 0;
    while (full.size() <= 10000) {
        const std::string line = "line " + std::to_string(n++) + " of the status log";
        status.appendStatusLine(line);
        full += line + "\r\n";
        if (full.size() <= 10000) {
            ASSERT_EQ(status.log().text(), full);
        }
    }
    EXPECT_EQ(status.log().text(), full.substr(full.size() - 5000));
    const QString shown = rig.window->findChild<QPlainTextEdit*>("status_text")->toPlainText();
    EXPECT_TRUE(
        shown.endsWith(QString::fromStdString("line " + std::to_string(n - 1) + " of the status log")));
}

TEST(ShellTabs, EachTabReportsShowsItsPageAndSetsTheMap)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    auto* tabs = w.findChild<QTabBar*>("options");
    ASSERT_EQ(tabs->count(), 8);
    const char* captions[] = {"Fuel Main",     "Ignition Main", "Fuel Knock", "Ignition Knock",
                              "Airflow Meter", "Injectors",     "Misc",       "Pellory"};
    const char* lines[] = {"Fuel Main Selected",      "Ignition Main Selected", "Fuel Knock Selected",
                           "Ignition Knock Selected", "Airflow Selected",       "Injectors Selected",
                           "Misc Selected",           "Config Selected"};
    const char* pages[] = {"frame_grid", "frame_grid",     "frame_grid",     "frame_grid",
                           "frame_afm",  "frame_injector", "frame_limiters", "frame_pellory"};
    const char* captions3d[] = {"Main Fuel Map", "Main Ignition Map", "Fuel Map for knock/low octane",
                                "Ignition Map for knock/low octane"};
    const MapKey keys[] = {MapKey::FuelHigh, MapKey::IgnHigh, MapKey::FuelLow, MapKey::IgnLow};
    const char* mapNames[] = {"Main Fuel Map", "Main Ignition Map", "Knock Fuel Map", "Knock Ignition Map"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(tabs->tabText(i).toStdString(), captions[i]);
        tabs->setCurrentIndex(i);
        EXPECT_TRUE(endsWith(rig.log(), std::string(lines[i]) + "\r\n")) << i;
        for (const char* page :
             {"frame_grid", "frame_afm", "frame_injector", "frame_limiters", "frame_pellory"})
            EXPECT_EQ(w.findChild<QWidget*>(page)->isHidden(), std::string(page) != pages[i]) << i << page;
        if (i < 4) {
            EXPECT_EQ(w.parts().state.currentMap, keys[i]);
            EXPECT_EQ(labelText(w, "label_showing3d"), captions3d[i]);
            EXPECT_EQ(labelText(w, "status_map"), std::string("Current Map :\n") + mapNames[i]);
        } else {
            // The other pages keep the last map and its caption.
            EXPECT_EQ(w.parts().state.currentMap, MapKey::IgnLow);
            EXPECT_EQ(labelText(w, "label_showing3d"), "Ignition Map for knock/low octane");
        }
    }
}

// What a full fill must show: the core functions' texts and colours for every cell.
void expectGridMatchesCore(MainWindow& w)
{
    const EditorState& state = w.parts().state;
    const MapSet set = *state.currentMapSet();
    const MapKind kind = kindOf(state.currentMap);
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            const CellLook look = cellLook(state, set, kind, w.parts().gridPage()->mode(), r, c);
            const QModelIndex item = w.parts().grid()->model()->index(r + 1, c + 1);
            ASSERT_EQ(item.data().toString().toStdString(), look.text) << r << "," << c;
            ASSERT_EQ(item.data(Qt::BackgroundRole).value<QBrush>().color(),
                      QColor(look.background.r, look.background.g, look.background.b));
            ASSERT_EQ(item.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::white));
        }
        ASSERT_EQ(w.parts().grid()->cellText(r + 1, 0).toStdString(),
                  rowHeaderText(state.rom.at(set.rpmAxis + r)));
        ASSERT_EQ(w.parts().grid()->cellText(0, r + 1).toStdString(),
                  columnHeaderText(state.rom.at(set.loadAxis + r)));
    }
}

TEST(ShellGrid, SelectionAndCellsSurviveATabSwitch)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    w.parts().pages->showPage(1);
    MapGrid* grid = w.parts().grid();
    EXPECT_EQ(grid->rowCount(), 17);
    EXPECT_EQ(grid->columnCount(), 17);
    EXPECT_EQ(grid->cellText(0, 0), "revs / tp scale");
    EXPECT_EQ(grid->columnWidth(0), 62);
    EXPECT_EQ(grid->columnWidth(5), 29);
    EXPECT_EQ(grid->rowHeight(3), 15);
    grid->setCurrentCell(3, 2);
    grid->selectRange(CellBlock{3, 2, 5, 4});
    EXPECT_EQ(grid->savedSelection(), (CellBlock{3, 2, 5, 4}));
    expectGridMatchesCore(w);

    w.parts().pages->showPage(2);
    expectGridMatchesCore(w);
    w.parts().pages->showPage(1);
    expectGridMatchesCore(w);
    const auto ranges = grid->selectedBlocks();
    ASSERT_EQ(ranges.size(), 1);
    EXPECT_EQ(ranges[0].top, 3);
    EXPECT_EQ(ranges[0].left, 2);
    EXPECT_EQ(ranges[0].bottom, 5);
    EXPECT_EQ(ranges[0].right, 4);
    EXPECT_EQ(grid->currentRow(), 3);
    EXPECT_EQ(grid->currentColumn(), 2);
    for (int option = 2; option <= 6; ++option) {
        w.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(option))->click();
        expectGridMatchesCore(w);
    }
}

TEST(ShellGrid, DisplayModeIsRememberedAcrossPages)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    auto option = [&](int n) { return w.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(n)); };
    w.parts().pages->showPage(1);
    option(3)->click();
    EXPECT_EQ(w.parts().gridPage()->mode(), DisplayMode::AfRatio);
    w.parts().pages->showPage(2);
    EXPECT_EQ(w.parts().gridPage()->mode(), DisplayMode::Data);
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(option(n)->isHidden()) << n;
    EXPECT_FALSE(option(6)->isHidden());
    expectGridMatchesCore(w);
    w.parts().pages->showPage(3);
    EXPECT_TRUE(option(3)->isChecked());
    EXPECT_FALSE(option(1)->isHidden());
    expectGridMatchesCore(w);

    option(6)->click(); // raw data on a fuel page
    w.parts().pages->showPage(4);
    EXPECT_EQ(w.parts().gridPage()->mode(), DisplayMode::Raw);
    expectGridMatchesCore(w);
    w.parts().pages->showPage(8);
    w.parts().pages->showPage(1);
    EXPECT_EQ(w.parts().gridPage()->mode(), DisplayMode::AfRatio);
}

// A screen reader's "toggle" on an option button calls toggle(), which emits no click: the option
// must follow the button's checked state all the same.
TEST(ShellOptions, ScreenReaderToggleActsLikeAClick)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    EmulatorSettings& settings = w.parts().setupPage()->settings();
    settings.emulator_count = 2;
    const auto toggle = [&w](const char* name) {
        QAccessibleInterface* button =
            QAccessible::queryAccessibleInterface(w.findChild<QRadioButton*>(name));
        ASSERT_NE(button, nullptr);
        ASSERT_NE(button->actionInterface(), nullptr);
        button->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    struct Case
    {
        const char* button;
        std::function<bool()> took;
    };
    const Case cases[] = {
        {"OptionRomOddEven", [&] { return settings.emulator_rom == 2; }},
        {"OptionRomEvenEven", [&] { return settings.emulator_rom == 4; }},
        {"Option16bit", [&] { return settings.emulator_bits == 16; }},
        {"OptionPullLow", [&] { return settings.emulator_resistor == 1; }},
        {"Option3", [&] { return w.parts().gridPage()->mode() == DisplayMode::AfRatio; }},
        {"Option6", [&] { return w.parts().gridPage()->mode() == DisplayMode::Raw; }},
    };
    w.parts().pages->showPage(1);
    for (const Case& c : cases) {
        toggle(c.button);
        EXPECT_TRUE(w.findChild<QRadioButton*>(c.button)->isChecked()) << c.button;
        EXPECT_TRUE(c.took()) << c.button;
    }
    // One board: the 16-bit choice is refused and the 8-bit button shows what holds.
    settings.emulator_count = 1;
    toggle("Option8bit");
    toggle("Option16bit");
    EXPECT_EQ(settings.emulator_bits, 8);
    EXPECT_TRUE(w.findChild<QRadioButton*>("Option8bit")->isChecked());
}

TEST(ShellClosing, CloseAndExitAnswers)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    rig.dialogs.questionAnswers = {Dialogs::Answer::Cancel, Dialogs::Answer::Yes};
    w.close();
    EXPECT_FALSE(w.closingAccepted());
    w.close();
    EXPECT_FALSE(w.closingAccepted());
    ASSERT_EQ(rig.dialogs.questions.size(), 2u);
    EXPECT_EQ(rig.dialogs.questions[0], "Save Dialog|Save Data before closing?");
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].title, "Confirm");
    EXPECT_EQ(rig.dialogs.messages[0].text, "Go back and save it then :)");

    // Exit, then Cancel: nothing happens; then No with the port closed: the program ends untouched.
    rig.dialogs.questionAnswers = {Dialogs::Answer::Cancel, Dialogs::Answer::No};
    trigger(w, "menu_file_exit");
    EXPECT_FALSE(w.closingAccepted());
    const int opens = rig.port.openCount();
    trigger(w, "menu_file_exit");
    EXPECT_TRUE(w.closingAccepted());
    EXPECT_EQ(rig.port.openCount(), opens);
    EXPECT_EQ(rig.dialogs.questions.size(), 4u); // no second question from the window's own close
}

TEST(ShellClosing, CloseNoClosesTheWindow)
{
    EditorRig rig;
    rig.start();
    rig.dialogs.questionAnswers = {Dialogs::Answer::No};
    rig.window->close();
    EXPECT_TRUE(rig.window->closingAccepted());
}

TEST(ShellHelp, F1AnywhereShowsTheTenLineKeyboardHelp)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    QTest::keyClick(w.findChild<QWidget*>("TextComport"), Qt::Key_F1);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].title, "Keyboard help");
    const std::string text = rig.dialogs.messages[0].text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
    EXPECT_EQ(text.rfind("Cursor Keys move, Shift or mouse will highlight areas\r\n", 0), 0u);
    EXPECT_TRUE(endsWith(text, "Dark blue areas are negative values - light blue are positive\r\n"));
    trigger(w, "menu_help_help");
    trigger(w, "menu_help_about");
    ASSERT_EQ(rig.dialogs.messages.size(), 3u);
    EXPECT_EQ(rig.dialogs.messages[1].text, text);
    EXPECT_NE(rig.dialogs.messages[2].text.find("Vantrell"), std::string::npos);
    EXPECT_TRUE(endsWith(rig.dialogs.messages[2].text,
                         programFolderLine(rig).substr(0, programFolderLine(rig).size() - 2)));
}

TEST(ShellMenus, CaptionsAndAccessKeys)
{
    EditorRig rig;
    rig.start();
    const std::pair<const char*, const char*> items[] = {
        {"menu_file_config", "Load &Engine Config File"},
        {"menu_file_load", "&Load Rom Image"},
        {"menu_file_save", "&Save Rom Image"},
        {"menu_file_exit", "E&xit"},
        {"menu_emulator_toggle", "&Toggle Emulator(s) online/offline"},
        {"menu_emulator_upload", "&Upload to Emulator(s)"},
        {"menu_map_shunt", "&Shunt current map left and create new collum"},
        {"menu_help_help", "&Help"},
        {"menu_help_about", "&About"},
    };
    for (const auto& [name, caption] : items) {
        auto* action = rig.window->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text().toStdString(), caption);
        EXPECT_TRUE(action->shortcut().isEmpty());
    }
}

} // namespace
} // namespace vantrell
namespace vantrell {
namespace {

// Each press of a window key acts once: a second press of the same key on the same control acts again,
// and a press that travels on from a control to its parents does not act twice.
TEST(ShellKeys, EveryPressOfAWindowKeyActsOnce)
{
    EditorRig rig;
    rig.start();
    MainWindow& w = *rig.window;
    QWidget* box = w.findChild<QWidget*>("TextComport");
    QTest::keyClick(box, Qt::Key_F1);
    QTest::keyClick(box, Qt::Key_F1);
    EXPECT_EQ(rig.dialogs.messages.size(), 2u);

    w.parts().pages->showPage(1);
    const double spin = w.parts().mapView()->model().spin;
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(w.parts().grid(), Qt::Key_Left); // the grid moves its cursor, the view turns
    EXPECT_EQ(w.parts().mapView()->model().spin, spin + 30);
    QTest::keyClick(w.parts().grid(), Qt::Key_F1); // ignored by the grid, passed up through its parents
    QTest::keyClick(w.parts().grid(), Qt::Key_F1);
    EXPECT_EQ(rig.dialogs.messages.size(), 4u);
    QTest::keyClick(w.parts().grid(), Qt::Key_S);
    QTest::keyClick(w.parts().grid(), Qt::Key_S);
    EXPECT_EQ(rig.dialogs.saves.size(), 2u); // both asked for a map file name (and were cancelled)
}

} // namespace
} // namespace vantrell
