// How fast a cell edit reaches the line: the time from a key released on the map grid (one cell
// selected, link online) to the last byte of its short write being handed to the line, against the real
// virtual-board program over a pseudo-terminal with the line paced at 115200 baud. On a real line that
// last byte then needs the frame's wire time to leave the adapter, so this time is what the editor adds
// to it. Also reported: the whole key handling until the board's acknowledgement has come back, less
// the time the paced board holds its reply for the wire (frame and reply, 10 bits a byte).
// Run by hand (vantrell_edit_latency_timings [count]); not part of the tests.
#include "EditorTestSupport.h"

#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"
#include "testsupport/VirtualBoard.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kByteTime = 10.0 / 115200.0; // seconds a byte takes on the line

// The Qt port that notes when the link starts a frame (the buffers are discarded first), when each
// short write has been handed to the line and when a reply has been read.
class TimedPort : public emulink::QtSerialPort
{
  public:
    void discardBuffers() override
    {
        if (firstDiscard == Clock::time_point{})
            firstDiscard = Clock::now();
        QtSerialPort::discardBuffers();
    }
    bool write(std::span<const std::uint8_t> bytes) override
    {
        const bool ok = QtSerialPort::write(bytes);
        if (bytes.size() > 2 && bytes[0] == 'A' && bytes[2] == 'w') {
            lastShortWrite = Clock::now();
            ++shortWrites;
        }
        return ok;
    }
    emulink::Bytes readAll() override
    {
        emulink::Bytes bytes = QtSerialPort::readAll();
        if (!bytes.empty())
            lastReply = Clock::now();
        return bytes;
    }
    void forget() { firstDiscard = lastShortWrite = lastReply = Clock::time_point{}; }

    Clock::time_point firstDiscard{}, lastShortWrite{}, lastReply{};
    int shortWrites = 0;
};

double micro(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

struct Summary
{
    double median, mean, p99, worst;
};

Summary summarise(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v)
        sum += x;
    return {v[v.size() / 2], sum / static_cast<double>(v.size()), v[v.size() * 99 / 100], v.back()};
}

int run(int boards, int count)
{
    vantrell::testing::ProgramFolder folder;
    vantrell::testing::TestDialogs dialogs;
    testsupport::VirtualBoard board(
        {"--boards", boards == 2 ? "1,2" : "1", "--program-folder", folder.path(), "--port-number", "1"});
    if (!board.start()) {
        std::fprintf(stderr, "virtual-board: %s\n", qPrintable(board.errorText()));
        return 1;
    }
    TimedPort port;
    emulink::SteadyClock clock;
    vantrell::MainWindow window(folder.path(), dialogs, port, clock);
    window.show();
    // Online as a scan and the setup page would leave it.
    window.parts().link().setFoundEmulators({1, 2}, boards);
    vantrell::EmulatorSettings& settings = window.parts().setupPage()->settings();
    settings.emulator_count = static_cast<std::int16_t>(boards);
    settings.emulator_rom = 1;
    settings.emulator_bits = 8;
    window.parts().linkActions->toggleOnline();
    if (!window.parts().link().isOnline()) {
        std::fprintf(stderr, "not online:\n%s\n", window.parts().statusWindow()->log().text().c_str());
        return 1;
    }
    window.parts().pages->showPage(1);
    window.parts().grid()->selectCells({6, 6, 6, 6});
    QApplication::processEvents();

    std::vector<double> toFrame, toWritten, beyondReply, afterReply;
    const double heldForWire = (8 + 1) * kByteTime * 1e6; // the paced board's reply time
    for (int i = 0; i < count + 20; ++i) {
        // + and - in turn, so the cell stays where it is.
        const Qt::Key key = i % 2 == 0 ? Qt::Key_Equal : Qt::Key_Minus;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, i % 2 == 0 ? "=" : "-");
        QApplication::sendEvent(window.parts().grid(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, i % 2 == 0 ? "=" : "-");
        const int before = port.shortWrites;
        port.forget();
        const Clock::time_point released = Clock::now();
        QApplication::sendEvent(window.parts().grid(), &release);
        const Clock::time_point handled = Clock::now();
        if (port.shortWrites != before + boards) {
            std::fprintf(stderr, "key %d: %d short writes instead of %d\n", i, port.shortWrites - before,
                         boards);
            return 1;
        }
        QApplication::processEvents(); // the repaint between two keys
        if (i < 20)
            continue; // warm-up
        toFrame.push_back(micro(port.firstDiscard - released));
        toWritten.push_back(micro(port.lastShortWrite - released));
        beyondReply.push_back(micro(port.lastReply - released) - boards * heldForWire);
        afterReply.push_back(micro(handled - port.lastReply));
    }

    const double frameWire = 8 * kByteTime * 1e6;
    const Summary f = summarise(toFrame);
    const Summary w = summarise(toWritten);
    const Summary r = summarise(beyondReply);
    const Summary a = summarise(afterReply);
    std::printf("%d board(s), %d keys, one cell, paced line (frame 8 bytes = %.0f us on the wire)\n", boards,
                count, frameWire);
    std::printf(
        "  key release -> the link starts the first frame (cell edited, buffers about to be discarded):\n"
        "    median %.0f us, mean %.0f us, 99%% %.0f us, worst %.0f us\n",
        f.median, f.mean, f.p99, f.worst);
    std::printf("  key release -> last byte of the %sshort write handed to the line:\n"
                "    median %.0f us, mean %.0f us, 99%% %.0f us, worst %.0f us\n",
                boards == 2 ? "second board's " : "", w.median, w.mean, w.p99, w.worst);
    std::printf("  key release -> last acknowledgement read, less the board's wire hold (%d x %.0f us):\n"
                "    median %.0f us, mean %.0f us, 99%% %.0f us, worst %.0f us\n",
                boards, heldForWire, r.median, r.mean, r.p99, r.worst);
    std::printf("  last acknowledgement -> key handled (selection, 3D view, timer):\n"
                "    median %.0f us, mean %.0f us, 99%% %.0f us, worst %.0f us\n",
                a.median, a.mean, a.p99, a.worst);
    window.parts().link().goOffline();
    board.quit();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 500;
    if (run(1, count) != 0)
        return 1;
    return run(2, count);
}
