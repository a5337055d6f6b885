// The fault soak: the editor against two boards of the real virtual-board program over a
// pseudo-terminal for a set time (TESSAVEL_SOAK_SECONDS, 300 unless set), with random operations
// (edits, axis steps, tool commits, undo and redo, uploads, uploads of changes, verifies, going
// offline and online, scans) and random faults of the boards (no reply, late reply, wrong sum,
// wrong checksum, extra bytes, hang-up, a board replaced by one holding another image).
//
// After every operation: the editor is online only while the boards' program runs, and whenever it is
// online and idle with the boards in step, every found board holds the ROM buffer, as the boards'
// own dump shows. The boards fall out of step by what the editor knows of (an edit while offline, a
// hang-up or a replaced board); a verify with its upload of changes, an upload, or going online with
// the contents check answered Yes brings them back, and each of those that ends online is taken at its
// word: the boards must then hold the ROM buffer. Any divergence fails.
#include "EditorTestSupport.h"

#include "emulink/QtSerialPort.h"
#include "testsupport/PauseSkippingClock.h"
#include "testsupport/VirtualBoard.h"
#include "testsupport/WidgetLookup.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <utility>

namespace vantrell {
namespace {

using testing::ProgramFolder;
using testing::TestDialogs;
using testsupport::child;
using testsupport::trigger;

constexpr const char* kFaults[] = {"noreply", "late", "wrongsum", "wrongchecksum", "extra", "hangup"};

int soakSeconds()
{
    const char* text = std::getenv("TESSAVEL_SOAK_SECONDS");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 300;
}

class FaultSoak : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string other = folder.read("data/demo.bin");
        for (std::size_t a = 0x7000; a < 0x7600; a += 37)
            other[a] = static_cast<char>(other[a] ^ 0x5A);
        folder.write("data/other.bin", other);
        ASSERT_TRUE(startBoards("data/demo.bin"));
        // The scan's pause is skipped; a silent line costs at most half a second of each wait.
        clock.capRealWaits(std::chrono::milliseconds(500));
        window = std::make_unique<MainWindow>(folder.path(), dialogs, port, clock, testing::noPorts);
        window->parts().pages->showPage(1);
        testing::setUpTwoBoards(*window);
        child<QCheckBox>(*window, "check_contents_online")->setChecked(true);
    }
    void TearDown() override
    {
        window.reset();
        if (board)
            board->quit();
    }

    // Board 1 and board 2 both start from `image`; the port number names their new line.
    bool startBoards(const std::string& image)
    {
        if (board)
            board->quit(2000);
        const QString file = QString::fromStdString(folder.file(image));
        board = std::make_unique<testsupport::VirtualBoard>(
            QStringList{"--boards", "1,2", "--size", "27c256", "--no-pacing", "--load", file + "@1", "--load",
                        file + "@2", "--program-folder", folder.path(), "--port-number", "1"});
        return board->start();
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    void count(const std::string& what) { ++counts[what]; }

    // One random operation of the user. Returns its name.
    std::string operate()
    {
        const int what = pick(0, 99);
        if (what < 8) {
            dialogs.questionAnswers.assign(4, Dialogs::Answer::Yes);
            trigger(*window, "menu_emulator_toggle");
            return window->parts().link().isOnline() ? "online" : "offline";
        }
        if (what < 12) {
            window->parts().setupPage()->scan();
            return "scan";
        }
        if (what < 17) {
            trigger(*window, "menu_emulator_upload");
            return "upload";
        }
        if (what < 22) {
            trigger(*window, "menu_emulator_verify");
            trigger(*window, "menu_emulator_upload_changes");
            return "verify+changes";
        }
        if (what < 27) {
            trigger(*window, pick(0, 1) ? "menu_edit_undo" : "menu_edit_redo");
            return "undo/redo";
        }
        if (what < 33) {
            window->parts().pages->showPage(6);
            child<QLineEdit>(*window, "k_data_entry")->setText(QString::number(pick(0x100, 0xFFFF), 16));
            child<QPushButton>(*window, "button_inj_trim")->click();
            return "tool commit";
        }
        const int tab = pick(1, 4);
        if (window->parts().pages->currentTab() != tab)
            window->parts().pages->showPage(tab);
        const int top = pick(1, 16), left = pick(1, 16);
        window->parts().grid()->clearSelection();
        window->parts().grid()->setCurrentCell(top, left);
        window->parts().grid()->selectRange(
            CellBlock{top, left, std::min(16, top + pick(0, 3)), std::min(16, left + pick(0, 3))});
        static const Qt::Key keys[] = {Qt::Key_Equal, Qt::Key_Minus,       Qt::Key_F,
                                       Qt::Key_A,     Qt::Key_BracketLeft, Qt::Key_BracketRight};
        const Qt::Key key = keys[pick(0, 5)];
        QTest::keyClick(window->parts().grid(), key);
        return key == Qt::Key_BracketLeft || key == Qt::Key_BracketRight ? "axis step" : "edit";
    }

    // Lets the line's events (a hang-up's read errors) reach the port before the state is judged.
    void settle()
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 20)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    enum class Boards { Hold, Differ, Silent };

    // Every found board's dump against the ROM buffer; prints the first difference. Silent when the
    // program does not answer (it is ending after a hang-up).
    Boards compareBoards(long step, const std::string& operation)
    {
        const auto& rom = window->parts().state.rom.bytes();
        const auto ids = window->parts().link().foundIds();
        for (int slot = 0; slot < window->parts().link().foundCount(); ++slot) {
            const int id = ids[static_cast<std::size_t>(slot)];
            const auto memory = board->memory(id);
            if (!memory)
                return Boards::Silent;
            // 27C256 boards and a 32 KiB ROM: offset 0.
            for (std::size_t a = 0; a < rom.size(); ++a)
                if (a >= memory->size() || (*memory)[a] != rom[a]) {
                    std::printf("soak: DIVERGENCE at step %ld after %s: board %d differs at 0x%04zX\n", step,
                                operation.c_str(), id, a);
                    return Boards::Differ;
                }
        }
        return Boards::Hold;
    }

    ProgramFolder folder;
    TestDialogs dialogs;
    emulink::QtSerialPort port;
    testsupport::PauseSkippingClock clock;
    std::unique_ptr<testsupport::VirtualBoard> board;
    std::unique_ptr<MainWindow> window;
    std::mt19937 random{static_cast<std::mt19937::result_type>(std::random_device{}())};
    std::map<std::string, long> counts;
};

TEST_F(FaultSoak, BoardsHoldTheRomBufferWheneverTheEditorIsOnlineAndIdle)
{
    const auto seed = static_cast<unsigned>(std::random_device{}());
    random.seed(seed);
    const int seconds = soakSeconds();
    std::printf("soak: %d s, seed %u\n", seconds, seed);
    QElapsedTimer elapsed;
    elapsed.start();

    bool inStep = false; // the boards hold the ROM buffer as far as the editor can know
    long step = 0, divergences = 0, falseOnline = 0;
    long long lastMinute = 0;
    while (elapsed.elapsed() < 1000LL * seconds) {
        ++step;
        if (pick(0, 99) < 25) {
            const int f = pick(0, 6);
            if (f == 6) {
                ASSERT_TRUE(startBoards(pick(0, 1) ? "data/other.bin" : "data/demo.bin"));
                inStep = false;
                count("fault: board replaced");
            } else {
                board->fault(kFaults[f], pick(1, 3));
                count(std::string("fault: ") + kFaults[f]);
            }
        }
        const auto before = window->parts().state.rom.bytes();
        const bool wasOnline = window->parts().link().isOnline();
        const auto foundBefore =
            std::make_pair(window->parts().link().foundIds(), window->parts().link().foundCount());
        const std::string operation = operate();
        count("op: " + operation);
        settle();

        bool online = window->parts().link().isOnline();
        // A board the list did not hold before has not heard the edits made since.
        if (std::make_pair(window->parts().link().foundIds(), window->parts().link().foundCount()) !=
            foundBefore)
            inStep = false;
        if (!online && window->parts().state.rom.bytes() != before)
            inStep = false;
        if (online && !inStep &&
            (operation == "upload" || operation == "verify+changes" ||
             (operation == "online" && !wasOnline))) {
            // Each of these ended online, so it claims the boards hold the buffer now: checked below.
            inStep = true;
            count("recovery: boards brought in step");
        }
        if (wasOnline && !online)
            count("link dropped");
        Boards boards = Boards::Hold;
        if (board->isRunning() && online && !window->parts().link().isBusy() && inStep)
            boards = compareBoards(step, operation);
        if (!board->isRunning() || boards == Boards::Silent) {
            // A hang-up ends the program: the line is gone, and the editor must see it.
            board->quit(2000);
            settle();
            online = window->parts().link().isOnline();
            if (online) {
                ++falseOnline;
                std::printf("soak: ONLINE after the boards hung up, step %ld after %s\n", step,
                            operation.c_str());
            }
            ASSERT_TRUE(startBoards("data/demo.bin"));
            count("recovery: boards restarted after a hang-up");
            inStep = false;
            continue;
        }
        if (boards == Boards::Hold && inStep && online)
            count("check: boards hold the ROM buffer");
        if (boards == Boards::Differ) {
            ++divergences;
            inStep = false; // each divergence is reported once
        }
        if (elapsed.elapsed() / 60000 != lastMinute) {
            lastMinute = elapsed.elapsed() / 60000;
            std::printf("soak: %lld min, %ld operations, %ld divergences\n", lastMinute, step, divergences);
            std::fflush(stdout);
        }
    }

    std::printf("soak: %ld operations in %lld s\n", step, elapsed.elapsed() / 1000);
    for (const auto& [what, n] : counts)
        std::printf("soak:   %-44s %ld\n", what.c_str(), n);
    std::printf("soak: divergences %ld, online after a hang-up %ld\n", divergences, falseOnline);
    EXPECT_EQ(divergences, 0);
    EXPECT_EQ(falseOnline, 0);
}

} // namespace
} // namespace vantrell
