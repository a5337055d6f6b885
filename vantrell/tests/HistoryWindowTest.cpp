// Undo and redo of every kind of edit step from the window, and comparing with a reference image.
#include "EditorTestSupport.h"

#include "testsupport/WidgetLookup.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace vantrell {
namespace {

using testing::EditorRig;
using testsupport::child;
using testsupport::endsWith;
using testsupport::trigger;

class HistoryWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        rig.start();
        w().parts().pages->showPage(1);
    }
    MainWindow& w() { return *rig.window; }
    const std::vector<std::uint8_t>& bytes() { return w().parts().state.rom.bytes(); }
    QAction* action(const char* name) { return child<QAction>(w(), name); }
    void select(int top, int left, int bottom, int right)
    {
        w().parts().grid()->selectCells({top, left, bottom, right});
    }

    EditorRig rig;
};

TEST_F(HistoryWindow, EveryKindOfStepIsUndoneAndRedoneToTheExactBytes)
{
    std::string mapFile(288, '\0');
    for (std::size_t i = 0; i < mapFile.size(); ++i)
        mapFile[i] = static_cast<char>(i * 7);
    rig.folder.write("maps/other.map", mapFile);

    struct Case
    {
        const char* caption; // of the undo item once the step is done
        std::function<void()> edit;
    };
    const Case cases[] = {
        {"&Undo edit of 12 cells on Main Fuel Map",
         [&] {
             select(3, 2, 5, 5);
             QTest::keyClick(w().parts().grid(), Qt::Key_Plus, Qt::ShiftModifier);
         }},
        {"&Undo load axis step on Main Fuel Map",
         [&] { QTest::keyClick(w().parts().grid(), Qt::Key_BracketRight); }},
        {"&Undo shunt of the fuel maps", [&] { trigger(w(), "menu_map_shunt"); }},
        {"&Undo map file load into Main Fuel Map",
         [&] {
             rig.dialogs.openAnswers.push_back(rig.folder.file("maps/other.map"));
             QTest::keyClick(w().parts().grid(), Qt::Key_L);
         }},
        {"&Undo injector resize",
         [&] {
             w().parts().pages->showPage(6);
             child<QLineEdit>(w(), "inj_new_injectors")->setText("550");
             child<QPushButton>(w(), "button_recalculate_injectors")->click();
         }},
        {"&Undo injector trim update",
         [&] {
             child<QLineEdit>(w(), "k_data_entry")->setText("1234");
             child<QPushButton>(w(), "button_inj_trim")->click();
         }},
        {"&Undo airflow meter commit",
         [&] {
             w().parts().pages->showPage(5);
             child<QRadioButton>(w(), "afm_7")->click();
             child<QPushButton>(w(), "afmupload")->click();
         }},
        {"&Undo rev limit edit",
         [&] {
             w().parts().pages->showPage(7);
             QTest::keyRelease(child<QTableWidget>(w(), "rev_limiter_entry"), Qt::Key_Equal);
         }},
    };
    EXPECT_FALSE(action("menu_edit_undo")->isEnabled());
    EXPECT_EQ(action("menu_edit_undo")->text(), "&Undo");
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> before = bytes();
        c.edit();
        const std::vector<std::uint8_t> after = bytes();
        ASSERT_NE(before, after) << c.caption << "\n" << rig.log();
        EXPECT_EQ(action("menu_edit_undo")->text().toStdString(), c.caption);
        trigger(w(), "menu_edit_undo");
        EXPECT_EQ(bytes(), before) << c.caption;
        EXPECT_EQ(action("menu_edit_redo")->text().toStdString(), "&Redo" + std::string(c.caption).substr(5));
        trigger(w(), "menu_edit_redo");
        EXPECT_EQ(bytes(), after) << c.caption;
        EXPECT_FALSE(action("menu_edit_redo")->isEnabled());
    }
    EXPECT_TRUE(endsWith(rig.log(), "Redone: rev limit edit\r\n"));
    // The limit cell shows the buffer again after an undo.
    trigger(w(), "menu_edit_undo");
    EXPECT_EQ(child<QTableWidget>(w(), "rev_limiter_entry")->item(0, 1)->text().toStdString(),
              readScaledValue(w().parts().state.def, w().parts().state.rom.buffer(), 0x7450));
}

TEST_F(HistoryWindow, ARewriteByAnyOtherKeyKeepsTheRedoStepAndALoadEmptiesTheHistory)
{
    select(2, 2, 3, 3);
    QTest::keyClick(w().parts().grid(), Qt::Key_Equal);
    trigger(w(), "menu_edit_undo");
    QTest::keyClick(w().parts().grid(), Qt::Key_Z); // as the release of Z after Ctrl+Z does
    EXPECT_TRUE(action("menu_edit_redo")->isEnabled());
    EXPECT_EQ(action("menu_edit_redo")->text(), "&Redo edit of 4 cells on Main Fuel Map");

    rig.dialogs.openAnswers.push_back(rig.folder.file("data/demo.bin"));
    trigger(w(), "menu_file_load");
    EXPECT_FALSE(action("menu_edit_undo")->isEnabled());
    EXPECT_FALSE(action("menu_edit_redo")->isEnabled());
}

TEST_F(HistoryWindow, ComparingMarksTheCellsListsTheTablesAndRevertsTheSelection)
{
    std::string reference = rig.folder.read("data/demo.bin");
    reference[0x7000 + 16 * 2 + 3] ^= 0x04; // map cell (2, 3): grid (3, 4)
    reference[0x7441] ^= 0x01;              // kval
    reference.resize(0x8000);
    rig.folder.write("data/stock.bin", reference);
    rig.dialogs.openAnswers.push_back(rig.folder.file("data/stock.bin"));
    trigger(w(), "menu_file_compare");
    EXPECT_TRUE(endsWith(rig.log(), "Compared with stock.bin: 2 bytes differ\r\nMain Fuel Map 1 cell\r\n"
                                    "kval 1 byte\r\n"))
        << rig.log();

    const QModelIndex marked = w().parts().grid()->model()->index(3, 4);
    EXPECT_EQ(marked.data(MapGridModel::MarksRole).toInt(), int(CellMark::DiffersFromReference));
    EXPECT_EQ(w().parts().grid()->model()->index(3, 5).data(MapGridModel::MarksRole).toInt(), 0);
    const int referenceValue = static_cast<std::uint8_t>(reference[0x7000 + 16 * 2 + 3]);
    EXPECT_EQ(marked.data(Qt::ToolTipRole).toString().toStdString(),
              "Reference: " + std::to_string(decodeCell(MapKind::Fuel, std::uint8_t(referenceValue)).value));

    select(3, 4, 3, 5);
    trigger(w(), "menu_map_revert");
    EXPECT_EQ(bytes()[0x7000 + 16 * 2 + 3], referenceValue);
    EXPECT_EQ(marked.data(MapGridModel::MarksRole).toInt(), 0);
    EXPECT_EQ(action("menu_edit_undo")->text(), "&Undo revert of 2 cells on Main Fuel Map");
    trigger(w(), "menu_edit_undo");
    EXPECT_EQ(marked.data(MapGridModel::MarksRole).toInt(), int(CellMark::DiffersFromReference));

    // An image that cannot be read leaves the comparison as it was.
    rig.dialogs.openAnswers.push_back(rig.folder.file("data/missing.bin"));
    trigger(w(), "menu_file_compare");
    EXPECT_TRUE(endsWith(rig.log(), "Reference image missing.bin not read: the file cannot be read - still "
                                    "comparing with stock.bin\r\n"));
    EXPECT_EQ(marked.data(MapGridModel::MarksRole).toInt(), int(CellMark::DiffersFromReference));

    trigger(w(), "menu_file_compare_stop");
    EXPECT_EQ(marked.data(MapGridModel::MarksRole).toInt(), 0);
    EXPECT_FALSE(action("menu_map_revert")->isEnabled());
}

} // namespace
} // namespace vantrell
