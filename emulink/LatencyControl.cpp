#include "LatencyControl.h"

// Windows has no Qt Serial Port: WinSerialPort gives its advice without a LatencyControl.
#if !defined(Q_OS_LINUX) && !defined(Q_OS_WIN)
#include <QSerialPort>
#include <QSerialPortInfo>
#endif

namespace emulink {

LatencyControl::~LatencyControl() = default;

QString lowLatencyAdvice(const LatencyControl::Result& result, const QString& deviceName, Platform platform)
{
    if (result.answer != LatencyControl::Answer::NotLowered)
        return {};
    const QString cost = QStringLiteral("replies may wait up to 16 ms");
    switch (platform) {
    case Platform::Linux: {
        const QString reason =
            result.reason.isEmpty() ? QString() : QStringLiteral(" (") + result.reason + u')';
        return QStringLiteral("Could not set low latency on ") + deviceName + reason + QStringLiteral(": ") +
               cost + QStringLiteral(" - to set it by hand: echo 1 | sudo tee /sys/bus/usb-serial/devices/") +
               deviceName.section(u'/', -1) + QStringLiteral("/latency_timer");
    }
    case Platform::Windows:
        return deviceName + QStringLiteral(" is a USB serial adapter: ") + cost +
               QStringLiteral(" - for quicker replies set its Latency Timer to 1 in Device Manager (the "
                              "port's Properties, Port Settings, Advanced)");
    case Platform::MacOS:
    case Platform::Other:
        break;
    }
    return deviceName + QStringLiteral(" is a USB serial adapter: ") + cost +
           QStringLiteral(" - for quicker replies set its latency timer to 1 ms in the adapter driver's "
                          "settings");
}

#if !defined(Q_OS_LINUX) && !defined(Q_OS_WIN)
namespace {

// No system call asks for it here: a USB serial adapter keeps the latency its driver is set to.
class UnaskedLatencyControl : public LatencyControl
{
  public:
    Result requestLowLatency(QSerialPort& port) override
    {
        const QSerialPortInfo info(port);
        return {info.hasVendorIdentifier() ? Answer::NotLowered : Answer::NotTaken, {}};
    }
};

} // namespace

std::unique_ptr<LatencyControl> makeSystemLatencyControl()
{
    return std::make_unique<UnaskedLatencyControl>();
}
#endif

} // namespace emulink
