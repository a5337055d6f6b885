// One contract, two ports: the in-process port over the board model (fake clock) and the system's port
// (QtSerialPort; WinSerialPort in a Windows build, under Wine on a COM port mapped to the board's
// pseudo-terminal) to the real virtual-board program (real clock). Whatever the link relies on must
// hold for both.
#include "FakeClock.h"
#include "Frames.h"
#include "boardsim/InProcessPort.h"
#include "SteadyClock.h"
#include "SystemSerialPort.h"

#include "testsupport/VirtualBoard.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>

using namespace std::chrono_literals;

namespace emulink {
namespace {

struct InProcessRig
{
    InProcessRig() : bus({{1, 1, 2, 0x8000}}), port(bus, clock) { port.refuseName(missingName()); }
    bool ready() { return true; }
    QString portName() const { return QStringLiteral("sim1"); }
    static QString missingName() { return QStringLiteral("sim-missing"); }
    void hangUpAtNextReply() { bus.injectFault(boardsim::Fault::HangUp); }

    boardsim::BoardBus bus;
    FakeClock clock;
    boardsim::InProcessPort port;
};

// A port name that names no device on this system.
#ifdef Q_OS_WIN
constexpr const char* kNoSuchSystemPort = "COM199";
#else
constexpr const char* kNoSuchSystemPort = "/dev/tessavel-no-such-port";
#endif

struct PtyRig
{
    PtyRig() : board({"--boards", "1", "--version", "1.2", "--no-pacing"}) {}
    bool ready() { return board.start(); }
    QString portName() const { return board.portPath(); }
    static QString missingName() { return QString::fromLatin1(kNoSuchSystemPort); }
    void hangUpAtNextReply() { ASSERT_TRUE(board.fault(QStringLiteral("hangup"))); }

    testsupport::VirtualBoard board;
    SteadyClock clock;
    SystemSerialPort port;
};

template <typename Rig> class SerialPortContract : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.ready());
        ASSERT_TRUE(rig.port.open(rig.portName())) << rig.port.errorText().toStdString();
    }

    // Bounded wait for at least `count` bytes.
    bool waitForBytes(std::size_t count)
    {
        return rig.clock.waitFor(2s, &rig.port, [&] { return rig.port.bytesWaiting() >= count; });
    }

    Rig rig;
};

using Rigs = ::testing::Types<InProcessRig, PtyRig>;
TYPED_TEST_SUITE(SerialPortContract, Rigs);

TYPED_TEST(SerialPortContract, OpenCloseAndWritesToAClosedPortFail)
{
    auto& port = this->rig.port;
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.name(), this->rig.portName());
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.write(versionRequest(1)));
    EXPECT_EQ(port.bytesWaiting(), 0u);
    EXPECT_TRUE(port.readAll().empty());
    port.close(); // closing twice is harmless

    EXPECT_FALSE(port.open(TypeParam::missingName()));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.errorText().isEmpty());
    EXPECT_EQ(port.openFailure(), OpenFailure::NoSuchPort);
    EXPECT_FALSE(port.open(QString()));
    EXPECT_EQ(port.openFailure(), OpenFailure::NoSuchPort);

    EXPECT_TRUE(port.open(this->rig.portName()));
    EXPECT_EQ(port.openFailure(), OpenFailure::None);
}

TYPED_TEST(SerialPortContract, ReplyArrivesFromTheEventLoopWithReadyRead)
{
    auto& port = this->rig.port;
    QSignalSpy ready(&port, &SerialPort::readyRead);
    ASSERT_TRUE(port.write(versionRequest(1)));
    // Nothing can be waiting before the event loop has run.
    EXPECT_EQ(port.bytesWaiting(), 0u);
    EXPECT_EQ(ready.count(), 0);

    ASSERT_TRUE(this->waitForBytes(3));
    EXPECT_GE(ready.count(), 1);
    EXPECT_EQ(port.readAll(), (Bytes{1, 2, '1'}));
    EXPECT_EQ(port.bytesWaiting(), 0u);
}

TYPED_TEST(SerialPortContract, EveryByteValuePassesUnchangedBothWays)
{
    auto& port = this->rig.port;
    Bytes data(256);
    std::iota(data.begin(), data.end(), 0);
    ASSERT_TRUE(port.write(verifiedBlockWrite(1, 0x0100, data)));
    ASSERT_TRUE(this->waitForBytes(2));
    const auto sum = blockSum(data);
    EXPECT_EQ(port.readAll(), (Bytes{sum[0], sum[1]}));

    ASSERT_TRUE(port.write(chunkRead(1, 0x0100)));
    ASSERT_TRUE(this->waitForBytes(257));
    Bytes expected = data;
    expected.push_back(frameChecksum(data));
    EXPECT_EQ(port.readAll(), expected);
}

TYPED_TEST(SerialPortContract, DiscardDropsWaitingBytes)
{
    auto& port = this->rig.port;
    ASSERT_TRUE(port.write(versionRequest(1)));
    ASSERT_TRUE(this->waitForBytes(3));
    port.discardBuffers();
    EXPECT_EQ(port.bytesWaiting(), 0u);
    EXPECT_TRUE(port.readAll().empty());
}

TYPED_TEST(SerialPortContract, ModemLinesNeitherFailNorCloseThePort)
{
    auto& port = this->rig.port;
    QSignalSpy errors(&port, &SerialPort::commsError);
    port.setDtr(false);
    port.setRts(false);
    port.setDtr(true);
    port.setRts(true);
    EXPECT_TRUE(port.isOpen());
    ASSERT_TRUE(port.write(statusRequest(1)));
    EXPECT_TRUE(this->waitForBytes(1));
    EXPECT_EQ(errors.count(), 0);
}

TYPED_TEST(SerialPortContract, HangUpClosesThePortAndIsReportedOnce)
{
    auto& port = this->rig.port;
    QSignalSpy errors(&port, &SerialPort::commsError);
    this->rig.hangUpAtNextReply();
    ASSERT_TRUE(port.write(versionRequest(1)));
    EXPECT_TRUE(this->rig.clock.waitFor(5s, &port, [&] { return !port.isOpen(); }));
    EXPECT_FALSE(port.isOpen());
    // Let any repeats of the error through: they must not be reported again.
    this->rig.clock.waitFor(50ms, nullptr, {});
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.at(0).at(0).value<CommsEvent>(), CommsEvent::HangUp);
}

} // namespace
} // namespace emulink
