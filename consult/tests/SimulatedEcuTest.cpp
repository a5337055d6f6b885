// The link against the real virtual-board --ecu over pseudo-terminals, through QSerialPort: the ECU
// runs on the demo definition's maps in board 1, and edits reach the board over the boards' own line.
#include "Channels.h"
#include "ConsultLink.h"
#include "LiveLog.h"
#include "MapTrace.h"

#include "emulink/BoardChannel.h"
#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"
#include "testsupport/VirtualBoard.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace consult {
namespace {

using namespace std::chrono_literals;

const QString kDefinition = QStringLiteral(TESSAVEL_SOURCE_DIR "/demo/config/default");
const QString kImage = QStringLiteral(TESSAVEL_SOURCE_DIR "/demo/data/demo.bin");
// Where the demo definition puts the main fuel map and its axes.
constexpr std::uint32_t kFuelMap = 0x7000, kFuelRpm = 0x7400, kFuelLoad = 0x7410;

Bytes demoImage()
{
    QFile f(kImage);
    f.open(QIODevice::ReadOnly);
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

// The breakpoint at or below a value on a rising axis, found the plain way.
int breakpointAtOrBelow(const std::vector<double>& axis, double value)
{
    int index = 0;
    for (std::size_t i = 0; i < axis.size(); ++i) {
        if (axis[i] <= value)
            index = static_cast<int>(i);
    }
    return index;
}

struct EcuRig
{
    explicit EcuRig(QStringList extra = {})
        : board(QStringList{QStringLiteral("--ecu"), QStringLiteral("--definition"), kDefinition,
                            QStringLiteral("--load"), kImage} +
                extra)
    {
        QObject::connect(&link, &ConsultLink::frameReceived,
                         [this](const LiveFrame& f) { frames.push_back(f); });
        const Bytes image = demoImage();
        rpmAxis = rpmAxisFromBytes(std::span(image).subspan(kFuelRpm, 16));
        loadAxis = loadAxisFromBytes(std::span(image).subspan(kFuelLoad, 16));
    }
    bool start()
    {
        if (!board.start())
            return false;
        const auto tp = tpAddressFromDefinition(kDefinition.toStdString());
        layout = standardLayout(tp);
        return tp && link.connectPort(board.ecuPortPath()) && link.startStream(layout);
    }
    bool waitFor(emulink::Clock::Duration bound, const std::function<bool()>& done)
    {
        return clock.waitFor(bound, &ecuPort, done);
    }
    bool waitForFrames(std::size_t more)
    {
        const std::size_t target = frames.size() + more;
        return waitFor(5s, [&] { return frames.size() >= target; });
    }
    bool said(const std::string& part) const
    {
        return std::any_of(status.lines.begin(), status.lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
    Trace traceOf(const std::vector<double>& values) const
    {
        return traceFromValues(values, layout.columnOf(Channel::Rpm), layout.columnOf(kTpName), rpmAxis,
                               loadAxis);
    }
    double value(const LiveFrame& f, Channel c) const { return f.values.at(*layout.columnOf(c)); }

    testsupport::VirtualBoard board;
    emulink::SteadyClock clock;
    emulink::QtSerialPort ecuPort;
    common::StatusLines status;
    ConsultLink link{ecuPort, clock, &status};
    StreamLayout layout;
    std::vector<LiveFrame> frames;
    std::vector<double> rpmAxis, loadAxis;
};

TEST(SimulatedEcu, AnEditOfTheTracedFuelCellShowsInTheInjectionTimeWithinTwoFrames)
{
    EcuRig rig;
    ASSERT_TRUE(rig.start()) << rig.board.errorText().toStdString();
    // On breakpoints of both axes, so the traced cell alone makes the injection time.
    ASSERT_TRUE(rig.board.command(QStringLiteral("ecu rpm 2400")));
    ASSERT_TRUE(rig.board.command(QStringLiteral("ecu tp 56")));
    ASSERT_TRUE(rig.waitFor(5s, [&] {
        return !rig.frames.empty() && rig.value(rig.frames.back(), Channel::Rpm) == 2400 &&
               rig.frames.back().values.back() == 56;
    }));
    const Trace trace = rig.traceOf(rig.frames.back().values);
    ASSERT_TRUE(trace.hasLoad);
    EXPECT_EQ(trace.row, 5);
    EXPECT_EQ(trace.col, 4);
    EXPECT_DOUBLE_EQ(trace.around[0].weight, 1);
    const auto console = rig.board.command(QStringLiteral("ecu"));
    ASSERT_TRUE(console);
    EXPECT_TRUE(console->contains(QStringLiteral("row 5 col 4"))) << console->toStdString();

    // Written through the boards' own line, as the editor's write-through does.
    emulink::QtSerialPort boardPort;
    ASSERT_TRUE(emulink::openPowered(boardPort, rig.board.portPath()));
    emulink::BoardChannel channel(boardPort, rig.clock);
    const std::uint32_t cell = kFuelMap + 16 * 5 + 4;
    const std::uint8_t before = demoImage()[cell];
    const std::uint8_t after = static_cast<std::uint8_t>(before + 10);
    const double oldInjection = rig.value(rig.frames.back(), Channel::InjectionTime);
    const std::uint8_t data[] = {after};
    ASSERT_TRUE(channel.writeShort(1, static_cast<std::uint16_t>(cell), data).ok);
    const std::size_t written = rig.frames.size();

    const double expected = std::round((0.5 + 0.56 * after / 10.0) * 100) / 100;
    ASSERT_NE(std::round(oldInjection * 100), std::round(expected * 100));
    ASSERT_TRUE(rig.waitFor(5s, [&] {
        return rig.frames.size() > written &&
               std::abs(rig.value(rig.frames.back(), Channel::InjectionTime) - expected) < 0.005;
    }));
    std::size_t first = written;
    while (std::abs(rig.value(rig.frames[first], Channel::InjectionTime) - expected) >= 0.005)
        ++first;
    EXPECT_LT(first - written, 2u) << "frames after the write before the new injection time";
}

TEST(SimulatedEcu, TraceOfTheDriveCycleMatchesTheAxesAndALogPlaysBackTheSameTrace)
{
    EcuRig rig;
    ASSERT_TRUE(rig.start()) << rig.board.errorText().toStdString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drive.csv"));
    LogWriter writer;
    QString error;
    ASSERT_TRUE(writer.open(path, rig.layout.columns(), error)) << error.toStdString();
    std::vector<Trace> live;
    QObject::connect(&rig.link, &ConsultLink::frameReceived, [&](const LiveFrame& f) {
        const Trace t = rig.traceOf(f.values);
        live.push_back(t);
        writer.append({f.timeMs, f.values, t.row, t.col});
    });
    ASSERT_TRUE(rig.waitForFrames(60));
    writer.close();

    for (std::size_t i = 0; i < live.size(); ++i) {
        const LiveFrame& f = rig.frames[i];
        ASSERT_TRUE(live[i].hasLoad);
        EXPECT_EQ(live[i].row, breakpointAtOrBelow(rig.rpmAxis, rig.value(f, Channel::Rpm)));
        EXPECT_EQ(live[i].col, breakpointAtOrBelow(rig.loadAxis, f.values.back()));
    }

    LogFile log;
    ASSERT_TRUE(log.read(path, error)) << error.toStdString();
    ASSERT_EQ(log.rows().size(), live.size());
    EXPECT_EQ(log.skippedLines(), 0u);
    for (std::size_t i = 0; i < live.size(); ++i) {
        const LogRow& row = log.rows()[i];
        const Trace played = traceFromValues(row.values, log.columnNamed("RPM"), log.columnNamed(kTpName),
                                             rig.rpmAxis, rig.loadAxis);
        EXPECT_EQ(played, live[i]) << "row " << i;
        EXPECT_EQ(row.row, live[i].row);
        EXPECT_EQ(row.col, live[i].col);
        // Playback at a row's time shows that row (or one logged in the same millisecond).
        EXPECT_EQ(log.rows()[*log.rowAt(row.timeMs)].timeMs, row.timeMs);
    }
}

TEST(SimulatedEcu, EachFaultGivesItsLine)
{
    struct Case
    {
        const char* fault;
        int count;
        bool askFaultCodes; // the fault needs an exchange to show
        const char* line;
    };
    const Case cases[] = {
        {"silent", 1, false, "ECU not responding"},
        {"noise", 3, false, "frames lost to line noise"},
        {"wrongecho", 1, true, "ECU echo wrong"},
        {"cutline", 1, false, "ECU line cut"},
    };
    for (const Case& c : cases) {
        EcuRig rig;
        ASSERT_TRUE(rig.start()) << rig.board.errorText().toStdString();
        ASSERT_TRUE(rig.waitForFrames(5)) << c.fault;
        const auto answer = rig.board.command(QStringLiteral("ecu fault %1 %2").arg(c.fault).arg(c.count));
        ASSERT_TRUE(answer && answer->startsWith(QStringLiteral("OK"))) << c.fault;
        if (c.askFaultCodes)
            rig.link.readFaultCodes();
        ASSERT_TRUE(rig.waitFor(5s, [&] { return rig.said(c.line); })) << c.fault;
        if (std::string(c.fault) == "cutline") {
            EXPECT_EQ(rig.link.state(), ConsultLink::State::Disconnected);
            continue;
        }
        // Every other fault passes, and the stream goes on.
        ASSERT_TRUE(rig.waitFor(8s, [&] { return rig.link.state() == ConsultLink::State::Streaming; }))
            << c.fault;
        EXPECT_TRUE(rig.waitForFrames(10)) << c.fault;
        // Noise costs the frames it hit and no more (one frame, or two where it lands between them).
        EXPECT_LE(rig.link.framesLost(), 2u * static_cast<unsigned>(c.count)) << c.fault;
    }
}

} // namespace
} // namespace consult
