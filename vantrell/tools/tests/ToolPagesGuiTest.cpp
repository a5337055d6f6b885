// The tool pages on the offscreen platform with the demo engine and ROM image. Set TESSAVEL_GRAB_DIR
// to keep a picture of each page there.
#include "vantrell/tools/AirflowMeterPage.h"
#include "vantrell/tools/InjectorPage.h"
#include "vantrell/tools/LimiterPage.h"
#include "vantrell/tools/MapView3D.h"
#include "vantrell/tools/MeterGraph.h"

#include "vantrell/tools/core/tests/ToolTestSupport.h"
#include "vantrell/document/RomFile.h"
#include "testsupport/WidgetLookup.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace vantrell;
using namespace vantrell::testing;
using testsupport::child;

namespace {

class ToolPages : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const std::string demo = std::string(TESSAVEL_SOURCE_DIR) + "/demo";
        ASSERT_TRUE(state.loadDefinition(demo + "/config/default", status));
        ASSERT_TRUE(readRomImage(demo + "/data/demo.bin", state.rom).ok);
        state.folders = ProgramFolders::under(demo);
        window.resize(1000, 480);
    }

    void grab(QWidget* w, const char* name)
    {
        if (const char* dir = std::getenv("TESSAVEL_GRAB_DIR"))
            w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
    }

    EditorState state;
    common::StatusLines status;
    RecordingWriteThrough link{state, false};
    ScriptedDialogs dialogs;
    EditKeyReader keys;
    QWidget window;
};

} // namespace

TEST_F(ToolPages, InjectorPageShowsItsControlsAndResizes)
{
    InjectorPage page(state, status, dialogs, &window);
    EXPECT_FALSE(page.isVisible());
    window.show();
    page.openPage();
    EXPECT_EQ(page.objectName(), "frame_injector");
    EXPECT_EQ(page.title(), "Injector Settings and information");
    EXPECT_EQ(page.geometry(), QRect(150, 135, 305, 280));
    EXPECT_EQ(child<QLabel>(&page, "inj_factory")->text(), "Factory Injector Size is  370cc per injector");
    EXPECT_EQ(child<QPushButton>(&page, "button_recalculate_injectors")->text(), "Recalculate for this size");
    EXPECT_EQ(child<QPushButton>(&page, "button_inj_trim")->text(), "update to emulator");
    EXPECT_NE(child<QGroupBox>(&page, "frame_inj_upgrade"), nullptr);
    EXPECT_NE(child<QGroupBox>(&page, "frame_misc_data"), nullptr);
    auto* k = child<QLineEdit>(&page, "k_data_entry");
    const std::uint32_t kAddress = 0x7440;
    const std::uint32_t k0 = state.rom.at(kAddress) * 256u + state.rom.at(kAddress + 1);
    EXPECT_EQ(k->text().toUInt(nullptr, 16), k0);
    EXPECT_EQ(child<QLineEdit>(&page, "null_data_entry")->text().size(), 2);
    grab(&page, "injector_page");

    StepCounter started(state), finished(state); // each command is one edit step of the document
    QTest::keyClicks(child<QLineEdit>(&page, "inj_new_injectors"), "740");
    QTest::mouseClick(child<QPushButton>(&page, "button_recalculate_injectors"), Qt::LeftButton);
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(finished.count(), 1);
    const std::uint32_t half = k0 % 4 == 1 ? k0 / 2 : (k0 + 1) / 2; // k0 x 370 / 740, halves to even
    EXPECT_EQ(k->text().toUInt(nullptr, 16), half);
    EXPECT_EQ(state.rom.at(kAddress) * 256u + state.rom.at(kAddress + 1), k->text().toUInt(nullptr, 16));
    EXPECT_EQ(status.lines.at(2), "Updated k value");

    k->setText("8000");
    child<QLineEdit>(&page, "null_data_entry")->setText("2A");
    QTest::mouseClick(child<QPushButton>(&page, "button_inj_trim"), Qt::LeftButton);
    EXPECT_EQ(state.rom.at(kAddress), 0x80);
    EXPECT_EQ(state.rom.at(0x7442), 0x2A);
    EXPECT_EQ(status.lines.back(), "Updated Injector Trim and Injector Offset");
    EXPECT_EQ(finished.count(), 2);
}

TEST_F(ToolPages, AirflowMeterPageListsMetersAndOverlaysCurves)
{
    AirflowMeterPage page(state, status, dialogs, &window);
    page.loadMeterList();
    window.show();
    page.openPage();
    EXPECT_EQ(page.objectName(), "frame_afm");
    EXPECT_EQ(page.title(), "Airflow Meter Selector screen");
    EXPECT_EQ(child<QGroupBox>(&page, "afm_choice_frame")->title(), "Select a new airflow meter");
    EXPECT_EQ(child<QPushButton>(&page, "afmupload")->text(), "Commit AFM Changes");
    EXPECT_EQ(child<QRadioButton>(&page, "afm_0")->text(), "Small 55mm meter");
    EXPECT_TRUE(child<QRadioButton>(&page, "afm_5")->isChecked()); // the demo's stock meter
    MeterGraph* graph = page.graph();
    ASSERT_TRUE(graph->isVisible());

    auto yellowPixels = [graph]() {
        const QImage img = graph->picture().toImage();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += img.pixelColor(x, y) == QColor(255, 255, 0);
        return n;
    };
    const int romCurve = yellowPixels();
    EXPECT_GT(romCurve, 0);
    QTest::mouseClick(child<QRadioButton>(&page, "afm_7"), Qt::LeftButton);
    EXPECT_TRUE(child<QRadioButton>(&page, "afm_7")->isChecked());
    const int twoCurves = yellowPixels();
    QTest::mouseClick(child<QRadioButton>(&page, "afm_0"), Qt::LeftButton);
    EXPECT_GT(twoCurves, romCurve); // the new curve is laid over the old one
    EXPECT_GT(yellowPixels(), twoCurves);
    grab(&page, "airflow_meter_page");

    StepCounter finished(state);
    QTest::mouseClick(child<QPushButton>(&page, "afmupload"), Qt::LeftButton);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(status.lines.back(),
              "K value, VQ map and AFlimit all updated - Upload the map to the emulator now");
    EXPECT_EQ(state.rom.at(0x7480), 254);

    page.closePage();
    EXPECT_FALSE(page.isVisible());
    EXPECT_FALSE(graph->isVisible());
}

TEST_F(ToolPages, LimiterPageLaysOutGridsInTwipsAndStepsLimitsOnKeyRelease)
{
    LimiterPage page(state, status, dialogs, keys, &window);
    window.show();
    page.openPage();
    EXPECT_EQ(page.title(), "Misc Limiters");
    auto* boost = child<QTableWidget>(&page, "boostlimit");
    EXPECT_TRUE(boost->isVisible());
    EXPECT_EQ(boost->geometry(), QRect(48, 24, 458, 24));
    EXPECT_EQ(boost->item(0, 0)->text(), "AFM Limiter");
    EXPECT_EQ(boost->columnCount(), 17);
    auto* accl = child<QTableWidget>(&page, "accl");
    EXPECT_EQ(accl->columnCount(), 13); // accelsize 12
    EXPECT_EQ(accl->width(), 266);
    auto* rev = child<QTableWidget>(&page, "rev_limiter_entry");
    EXPECT_EQ(rev->geometry().topLeft(), QPoint(48, 213));
    EXPECT_EQ(child<QTableWidget>(&page, "speed_limiter_entry")->geometry().left(), 365);
    grab(&page, "limiter_page");

    rev->item(0, 1)->setText(" 7000");
    StepCounter finished(state);
    QTest::keyRelease(rev, Qt::Key_Equal);
    EXPECT_EQ(rev->item(0, 1)->text(), " 7050");
    QTest::keyRelease(rev, Qt::Key_Plus, Qt::ShiftModifier); // Shift and the =/+ key
    EXPECT_EQ(rev->item(0, 1)->text(), " 8050");
    QTest::keyRelease(rev, Qt::Key_Underscore, Qt::ShiftModifier);
    QTest::keyRelease(rev, Qt::Key_Minus);
    EXPECT_EQ(rev->item(0, 1)->text(), " 7000");
    QTest::keyRelease(rev, Qt::Key_Left); // another key rewrites the value
    EXPECT_EQ(finished.count(), 7);       // releasing Shift is a key release too, and rewrites the value
    // 7000 / 12.5 = 560 = 0x0230 at all four places.
    for (std::uint32_t a : {0x7450u, 0x7452u, 0x7454u, 0x7456u}) {
        EXPECT_EQ(state.rom.at(a), 0x02);
        EXPECT_EQ(state.rom.at(a + 1), 0x30);
    }
    auto* speed = child<QTableWidget>(&page, "speed_limiter_entry");
    speed->item(0, 1)->setText(" 30");
    QTest::keyRelease(speed, Qt::Key_Minus);
    EXPECT_EQ(speed->item(0, 1)->text(), " 20");
    EXPECT_EQ(state.rom.at(0x745B), 10);
}

TEST_F(ToolPages, LimiterPageHidesAbsentGrids)
{
    state.def.aflimit = "&hffff";
    state.def.speed1 = "&hffff";
    LimiterPage page(state, status, dialogs, keys, &window);
    window.show();
    page.openPage();
    EXPECT_FALSE(child<QTableWidget>(&page, "boostlimit")->isVisible());
    EXPECT_FALSE(child<QTableWidget>(&page, "speed_limiter_entry")->isVisible());
    EXPECT_TRUE(child<QTableWidget>(&page, "injbase")->isVisible());
}

TEST_F(ToolPages, MapViewTurnsExactlyTheSelectedDotsWhite)
{
    MapView3D view(state, &window);
    window.resize(1000, 900);
    view.setGeometry(0, 0, 760, 740);
    window.show();
    EXPECT_EQ(view.title(), "3D Map Display   -    Use cursor keys and shift to rotate map and \"stuff\"");
    view.resetView();
    for (int i = 0; i < 30; ++i)
        EXPECT_TRUE(view.viewKey(Qt::Key_Up, Qt::ShiftModifier));
    EXPECT_DOUBLE_EQ(view.model().zoom, 0.1);

    // Device pixels: the picture is as sharp as the screen (QT_SCALE_FACTOR=2 runs this at twice).
    auto devicePoint = [&view](const QImage& img, const ViewDot& dot) {
        return (view.canvasPoint(dot.x, dot.y) * img.devicePixelRatio()).toPoint();
    };
    auto whiteNear = [&](const QImage& img, const ViewDot& dot) {
        const QPoint c = devicePoint(img, dot);
        const int reach = static_cast<int>(std::ceil(4 * img.devicePixelRatio()));
        int n = 0;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                const QPoint p(c.x() + dx, c.y() + dy);
                n += img.rect().contains(p) && img.pixelColor(p) == Qt::white;
            }
        return n;
    };

    view.drawView();
    QImage img = view.canvas()->grab().toImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_NE(img.pixelColor(x, y), QColor(Qt::white)) << "no selection, no white";

    view.setSelection(3, 4, 5, 7);
    view.drawView();
    img = view.canvas()->grab().toImage();
    grab(&view, "map_view_selected_d01");
    ASSERT_EQ(view.lastDrawing().dots.size(), 256u);
    int whiteDots = 0;
    for (const ViewDot& dot : view.lastDrawing().dots) {
        const bool selected = dot.row >= 2 && dot.row <= 4 && dot.column >= 3 && dot.column <= 6;
        ASSERT_TRUE(img.rect().contains(devicePoint(img, dot)));
        if (selected) {
            EXPECT_GT(whiteNear(img, dot), 4) << dot.row << "," << dot.column;
            ++whiteDots;
        } else {
            EXPECT_EQ(whiteNear(img, dot), 0) << dot.row << "," << dot.column;
        }
    }
    EXPECT_EQ(whiteDots, 12);

    view.resetView();
    view.setGeometry(615, 55, 370, 330);
    view.drawView();
    grab(&view, "map_view_start");
    for (int i = 0; i < 15; ++i)
        view.viewKey(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_NEAR(view.model().zoom, 1.0, 1e-9);
    grab(&view, "map_view_d10");
    for (int i = 0; i < 30; ++i)
        view.viewKey(Qt::Key_Up, Qt::ShiftModifier);
    view.viewKey(Qt::Key_Left, Qt::NoModifier);
    grab(&view, "map_view_d01");
}

TEST_F(ToolPages, LimitCellsStepWithThePlusKeyOfAGermanKeyboardAndNotWithShiftAndZero)
{
    keys.useKeyboardMap(KeyboardMap::fromNames("de"));
    LimiterPage page(state, status, dialogs, keys, &window);
    window.show();
    page.openPage();
    auto* rev = child<QTableWidget>(&page, "rev_limiter_entry");
    rev->item(0, 1)->setText(" 7000");
    auto release = [rev](Qt::Key key, const char* text, quint32 keycode, Qt::KeyboardModifiers mods) {
        QKeyEvent event(QEvent::KeyRelease, key, mods, keycode, 0, 0, QString::fromLatin1(text));
        QApplication::sendEvent(rev, &event);
        return rev->item(0, 1)->text();
    };
    EXPECT_EQ(release(Qt::Key_Asterisk, "*", 35, Qt::ShiftModifier), " 8000"); // Shift and the "+" key
    EXPECT_EQ(release(Qt::Key_Equal, "=", 19, Qt::ShiftModifier), " 8000");    // Shift and 0 types "="
    EXPECT_EQ(release(Qt::Key_Minus, "-", 61, Qt::NoModifier), " 7950");
    EXPECT_EQ(release(Qt::Key_Minus, "-", 82, Qt::KeypadModifier), " 7950");
}

TEST_F(ToolPages, MeterGraphDrawnBeforeItsSizeIsKnownIsDrawnAgainSharpAtItsSize)
{
    AirflowMeterSwap swap;
    swap.loadMeterList(state, status);
    MeterGraph early;
    early.resize(120, 90); // drawn while its page is still hidden, at a size the layout then changes
    early.draw(swap.graphCommands(state));
    early.resize(480, 300);
    early.show(); // the page is shown: the graph gets its size
    QApplication::sendPostedEvents();
    MeterGraph direct;
    direct.resize(480, 300);
    direct.draw(swap.graphCommands(state));
    EXPECT_EQ(early.picture().toImage(), direct.picture().toImage());
}
