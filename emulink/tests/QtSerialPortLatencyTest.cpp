// The low-latency request of the Qt port on a pseudo-terminal to the virtual-board program: the real
// request is silent there, and a refusal (through a control that refuses) is advised once.
#include "LatencyControl.h"
#include "QtSerialPort.h"

#include "testsupport/VirtualBoard.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace emulink {
namespace {

class RefusingControl : public LatencyControl
{
  public:
    explicit RefusingControl(int& asked) : asked_(asked) {}
    Result requestLowLatency(QSerialPort& port) override
    {
        EXPECT_TRUE(port.isOpen());
        ++asked_;
        return {Answer::NotLowered, QStringLiteral("Operation not permitted")};
    }

  private:
    int& asked_;
};

class QtSerialPortLatency : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(board.start()) << board.errorText().toStdString(); }

    testsupport::VirtualBoard board{{"--boards", "1", "--no-pacing"}};
};

TEST_F(QtSerialPortLatency, APseudoTerminalTakesNoRequestAndNothingIsSaid)
{
    QSerialPort raw(board.portPath());
    ASSERT_TRUE(raw.open(QIODevice::ReadWrite));
    EXPECT_EQ(makeSystemLatencyControl()->requestLowLatency(raw).answer, LatencyControl::Answer::NotTaken);
    raw.close();

    QtSerialPort port;
    QSignalSpy advice(&port, &SerialPort::portAdvice);
    ASSERT_TRUE(openPowered(port, board.portPath()));
    QCoreApplication::processEvents();
    EXPECT_EQ(advice.count(), 0);
    EXPECT_TRUE(port.isOpen());
}

TEST_F(QtSerialPortLatency, ARefusalIsAdvisedOnceFromTheEventLoop)
{
    int asked = 0;
    QtSerialPort port(std::make_unique<RefusingControl>(asked));
    QSignalSpy advice(&port, &SerialPort::portAdvice);
    ASSERT_TRUE(openPowered(port, board.portPath()));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(advice.count(), 0); // not from inside the open

    QCoreApplication::processEvents();
    ASSERT_EQ(advice.count(), 1);
    const QString device = QFileInfo(board.portPath()).canonicalFilePath();
    EXPECT_EQ(advice.at(0).at(0).toString(),
              lowLatencyAdvice({LatencyControl::Answer::NotLowered, "Operation not permitted"}, device));

    // Reopened, as the scan does for every board: asked again, not said again.
    ASSERT_TRUE(openPowered(port, board.portPath()));
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(advice.count(), 1);
    EXPECT_TRUE(port.isOpen());
}

} // namespace
} // namespace emulink
