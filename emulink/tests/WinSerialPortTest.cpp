// What the Win32 port adds to the contract (SerialPortContractTest runs it as the system's port): port
// names, a port another program holds, and the port list from the registry. Windows build only; under
// Wine the board is a virtual-board beside Wine on a mapped COM port.
#include "PortList.h"
#include "WinSerialPort.h"

#include "testsupport/VirtualBoard.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace emulink {
namespace {

TEST(WinSerialPortNames, NumbersAndNamesBecomeDevicePaths)
{
    const struct
    {
        const char* name;
        const char* path;
    } cases[] = {
        {"COM1", R"(\\.\COM1)"},
        {"com7", R"(\\.\com7)"},
        {"1", R"(\\.\COM1)"},
        {" 12 ", R"(\\.\COM12)"},
        {R"(\\.\COM12)", R"(\\.\COM12)"},
        {"", ""},
        {"   ", ""},
        {"0", R"(\\.\0)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WinSerialPort::devicePath(QString::fromUtf8(c.name)), QString::fromUtf8(c.path)) << c.name;
}

class WinSerialPortOnBoard : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(board.start()) << board.errorText().toStdString(); }
    testsupport::VirtualBoard board{{"--boards", "1", "--no-pacing"}};
};

TEST_F(WinSerialPortOnBoard, APortHeldElsewhereIsReportedInUse)
{
    WinSerialPort holder;
    ASSERT_TRUE(holder.open(board.portPath()));
    WinSerialPort port;
    EXPECT_FALSE(port.open(board.portPath()));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.openFailure(), OpenFailure::InUse) << port.errorText().toStdString();
    EXPECT_TRUE(openFailureAdvice(port).contains(QStringLiteral("in use by another program")));

    holder.close();
    EXPECT_TRUE(port.open(board.portPath())) << port.errorText().toStdString();
}

TEST_F(WinSerialPortOnBoard, TheBoardsPortIsListedAndOpensByNumber)
{
    const QString name = board.portPath(); // "COM10"
    const std::vector<PortDescription> ports = systemPorts();
    EXPECT_TRUE(std::any_of(
        ports.begin(), ports.end(),
        [&](const PortDescription& p) { return p.device.compare(name, Qt::CaseInsensitive) == 0; }))
        << "not listed: " << name.toStdString();

    WinSerialPort port;
    ASSERT_TRUE(port.open(name.mid(3))) << port.errorText().toStdString();
    EXPECT_TRUE(port.write(versionRequest(1)));
}

} // namespace
} // namespace emulink
