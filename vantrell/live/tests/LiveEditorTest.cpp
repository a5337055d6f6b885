// The editor's live data against the real virtual-board --ecu over pseudo-terminals, through the Qt
// serial port and the real clock: the dock connects, the figures follow the frames, the grid marks the
// cell the axes give, an edit of the traced fuel cell written through to the boards shows in the
// ECU's injection time within two frames, and a recorded log plays back the same trace.
#include "vantrell/tests/EditorTestSupport.h"

#include "vantrell/live/LiveGraph.h"

#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"
#include "graph2d/LineGraph.h"
#include "testsupport/VirtualBoard.h"
#include "testsupport/WidgetLookup.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace vantrell {
namespace {

using namespace std::chrono_literals;
using testsupport::child;
using testsupport::trigger;

constexpr std::uint32_t kFuelMap = 0x7000;

struct Shown
{
    std::vector<double> values;
    int row = -1, col = -1; // the grid's running cell (map coordinates)
    int rowOnly = -1;       // the row marked alone, without TP
};

class LiveEditor : public ::testing::Test
{
  protected:
    void start(bool withTp = true)
    {
        if (!withTp) {
            std::string def = folder.read("config/default");
            def.erase(def.find("[consult]"));
            folder.write("config/default", def);
        }
        board = std::make_unique<testsupport::VirtualBoard>(
            QStringList{"--boards", "1,2", "--size", "27c256", "--no-pacing", "--program-folder",
                        folder.path(), "--port-number", "1", "--ecu", "--definition",
                        QStringLiteral(TESSAVEL_SOURCE_DIR "/demo/config/default"), "--load",
                        folder.path() + "/data/demo.bin"});
        ASSERT_TRUE(board->start()) << board->errorText().toStdString();
        window = std::make_unique<MainWindow>(folder.path(), dialogs, port, clock, testing::noPorts);
        window->parts().live->setPort(ecuPort);
        window->parts().pages->showPage(1);
        trigger(*window, "menu_live_data");
        QObject::connect(
            window->parts().live, &LiveSession::valuesShown, window.get(),
            [this](const std::vector<double>& values, qint64) { shown.push_back(gridTrace(values)); });
    }
    void TearDown() override
    {
        window.reset();
        if (board)
            board->quit();
    }
    Shown gridTrace(const std::vector<double>& values) const
    {
        Shown s{values};
        const MapGridModel& model = *window->parts().grid()->gridModel();
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c) {
                const TraceLook look = model.trace().at(r, c);
                if (look.running)
                    s.row = r, s.col = c;
                if (look.rowOnly)
                    s.rowOnly = r;
            }
        return s;
    }
    bool waitFor(emulink::Clock::Duration bound, const std::function<bool()>& done)
    {
        return clock.waitFor(bound, &ecuPort, done);
    }
    bool waitForFrames(std::size_t more)
    {
        const std::size_t target = shown.size() + more;
        return waitFor(5s, [&] { return shown.size() >= target; });
    }
    void connectEcu()
    {
        child<QPushButton>(*window, "ecu_connect")->click();
        ASSERT_TRUE(waitForFrames(5)) << log();
    }
    std::string log() const { return window->parts().statusWindow()->log().text(); }
    std::size_t column(const char* name) const
    {
        const auto& columns = window->parts().live->columns();
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i].name == name)
                return i;
        ADD_FAILURE() << "no column " << name;
        return 0;
    }
    // The breakpoint at or below a value on the main fuel map's axis, found the plain way.
    int breakpoint(std::uint32_t axis, double value, double scale) const
    {
        int index = 0;
        for (int i = 0; i < 16; ++i)
            if (window->parts().state.rom.at(axis + static_cast<std::uint32_t>(i)) * scale <= value)
                index = i;
        return index;
    }

    testing::ProgramFolder folder;
    testing::TestDialogs dialogs;
    emulink::QtSerialPort port, ecuPort;
    emulink::SteadyClock clock;
    std::unique_ptr<testsupport::VirtualBoard> board;
    std::unique_ptr<MainWindow> window;
    std::vector<Shown> shown;
};

TEST_F(LiveEditor, FramesUpdateTheFiguresAndTheGridMarksTheCellOfTheAxes)
{
    for (const bool withTp : {true, false}) {
        SCOPED_TRACE(withTp ? "with TP" : "without TP");
        if (!withTp) {
            TearDown();
            shown.clear();
        }
        start(withTp);
        connectEcu();
        ASSERT_TRUE(waitForFrames(40));
        EXPECT_EQ(child<QLabel>(*window, "ecu_state")->text(), "Streaming");
        EXPECT_EQ(
            child<QLabel>(*window, "traced_cell")->text(),
            withTp ? QStringLiteral("Row %1, column %2").arg(shown.back().row + 1).arg(shown.back().col + 1)
                   : QStringLiteral("Row %1 (no TP)").arg(shown.back().rowOnly + 1));
        const std::size_t rpm = column("RPM");
        const auto& last = shown.back().values;
        EXPECT_EQ(child<QLabel>(*window, "figure_0")->text(), QString::number(last[rpm], 'f', 0) + " rpm");
        for (const Shown& s : shown) {
            const int row = breakpoint(0x7400, s.values[rpm], 50);
            if (withTp) {
                EXPECT_EQ(s.row, row) << s.values[rpm];
                EXPECT_EQ(s.col, breakpoint(0x7410, s.values[column("TP")], 1)) << s.values[column("TP")];
            } else {
                EXPECT_EQ(s.rowOnly, row) << s.values[rpm];
                EXPECT_EQ(s.row, -1);
            }
        }
        EXPECT_EQ(log().find("names no TP address") != std::string::npos, !withTp) << log();
        // The graph draws the chosen channels: RPM at first, and TP when streamed.
        EXPECT_GE(window->parts().liveDock->graph()->graph()->seriesList().count(), withTp ? 3u : 2u);

        // The fault codes, read and cleared between frames; the stream goes on after them.
        auto* faults = child<QListWidget>(*window, "fault_list");
        child<QPushButton>(*window, "faults_read")->click();
        ASSERT_TRUE(waitFor(3s, [&] { return faults->count() == 2; })) << log();
        EXPECT_EQ(faults->item(0)->text(), "Code 21, 5 starts ago");
        child<QPushButton>(*window, "faults_clear")->click();
        ASSERT_TRUE(waitFor(3s, [&] { return faults->item(0)->text() == "No fault codes stored"; })) << log();
        EXPECT_TRUE(waitForFrames(5));

        child<QPushButton>(*window, "ecu_connect")->click();
        EXPECT_EQ(child<QLabel>(*window, "ecu_state")->text(), "Disconnected");
        EXPECT_FALSE(ecuPort.isOpen());
    }
}

TEST_F(LiveEditor, AnEditOfTheFollowedCellWrittenThroughShowsInTheInjectionTimeWithinTwoFrames)
{
    start();
    // As a user goes online: the scan (its pause is real time here), the layout, the width, the toggle.
    window->parts().pages->showPage(EditorPages::kSetupTab);
    child<QPushButton>(*window, "button_scan")->click();
    ASSERT_EQ(window->parts().link().foundCount(), 2) << log();
    child<QRadioButton>(*window, "OptionRomStraight")->click();
    child<QRadioButton>(*window, "Option16bit")->click();
    window->parts().pages->showPage(1);
    trigger(*window, "menu_emulator_toggle");
    ASSERT_TRUE(window->parts().link().isOnline()) << log();
    trigger(*window, "menu_emulator_upload");
    // On breakpoints of both axes, so the traced cell alone makes the injection time.
    ASSERT_TRUE(board->command("ecu rpm 2400"));
    ASSERT_TRUE(board->command("ecu tp 56"));
    child<QCheckBox>(*window, "follow_engine")->setChecked(true);
    connectEcu();
    const std::size_t rpm = column("RPM"), tp = column("TP"), injection = column("Injection time");
    ASSERT_TRUE(
        waitFor(5s, [&] { return shown.back().values[rpm] == 2400 && shown.back().values[tp] == 56; }));
    EXPECT_EQ(shown.back().row, 5);
    EXPECT_EQ(shown.back().col, 4);
    EXPECT_EQ(window->parts().grid()->savedSelection(), (CellBlock{6, 5, 6, 5}));

    QTest::keyClick(window->parts().grid(), Qt::Key_Equal);
    const std::size_t written = shown.size();
    const std::uint8_t after = window->parts().state.rom.at(kFuelMap + 16 * 5 + 4);
    ASSERT_NE(after, folder.read("data/demo.bin").at(kFuelMap + 16 * 5 + 4)) << "the key changed nothing";
    const double expected = std::round((0.5 + 0.56 * after / 10.0) * 100) / 100;
    auto hasExpected = [&](const Shown& s) { return std::abs(s.values[injection] - expected) < 0.005; };
    ASSERT_TRUE(waitFor(5s, [&] { return shown.size() > written && hasExpected(shown.back()); })) << expected;
    std::size_t first = written;
    while (!hasExpected(shown[first]))
        ++first;
    EXPECT_LT(first - written, 2u) << "frames after the write before the new injection time";
}

TEST_F(LiveEditor, ARecordedLogPlaysBackTheSameTrace)
{
    start();
    connectEcu();
    const QString path = folder.path() + "/drive.csv";
    dialogs.saveAnswers.push_back(path.toStdString());
    child<QPushButton>(*window, "log_record")->click();
    ASSERT_TRUE(window->parts().live->logging()) << log();
    const std::size_t from = shown.size();
    ASSERT_TRUE(waitForFrames(60));
    // The rows reach the file while it is still open: a crash would lose at most the last moments.
    EXPECT_TRUE(waitFor(2s, [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.readAll().count('\n') > 40;
    }));
    child<QPushButton>(*window, "log_record")->click();
    EXPECT_FALSE(window->parts().live->logging());
    const std::vector<Shown> live(shown.begin() + static_cast<std::ptrdiff_t>(from), shown.end());
    child<QPushButton>(*window, "ecu_connect")->click(); // playback shows with or without the ECU

    dialogs.openAnswers.push_back(path.toStdString());
    child<QPushButton>(*window, "playback_open")->click();
    ASSERT_TRUE(window->parts().live->playbackOpen()) << log();
    const consult::LogFile& played = window->parts().live->player().log();
    ASSERT_EQ(played.rows().size(), live.size());
    auto* slider = child<QSlider>(*window, "playback_position");
    for (std::size_t i = 0; i < live.size(); ++i) {
        const consult::LogRow& row = played.rows()[i];
        EXPECT_EQ(row.row, live[i].row) << i; // the logged cell of the main fuel map, shown here
        EXPECT_EQ(row.col, live[i].col) << i;
        slider->setValue(static_cast<int>(row.timeMs));
        // Rows of one millisecond show the last of them.
        const std::size_t at = *window->parts().live->player().currentRow();
        const Shown now = gridTrace(row.values);
        EXPECT_EQ(now.row, live[at].row) << i;
        EXPECT_EQ(now.col, live[at].col) << i;
    }
    // A file that is no log is refused with a line; the log open stays.
    folder.write("nolog.csv", "");
    dialogs.openAnswers.push_back(folder.file("nolog.csv"));
    child<QPushButton>(*window, "playback_open")->click();
    EXPECT_NE(log().find("Cannot play the log"), std::string::npos) << log();
    EXPECT_TRUE(window->parts().live->playbackOpen());
    EXPECT_EQ(window->parts().live->player().log().rows().size(), live.size());

    slider->setValue(0);
    child<QPushButton>(*window, "playback_play")->click();
    EXPECT_TRUE(waitFor(3s, [&] { return window->parts().live->player().position() > 200; }));
    child<QPushButton>(*window, "playback_close")->click();
    EXPECT_FALSE(window->parts().live->player().playing());
    EXPECT_EQ(gridTrace({}).row, -1);
}

} // namespace
} // namespace vantrell
