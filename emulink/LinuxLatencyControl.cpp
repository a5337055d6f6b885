// Low latency through the serial driver's ASYNC_LOW_LATENCY flag (TIOCGSERIAL / TIOCSSERIAL). Built on
// Linux only: the one system call the link makes beside Qt Serial Port.
#include "LatencyControl.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <cerrno>
#include <system_error>

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace emulink {

namespace {

// The kernel's name of the port's device ("ttyUSB0"), through any symbolic link such as
// /dev/serial/by-id/...; empty when the device file is gone.
QString kernelName(const QSerialPort& port)
{
    // QSerialPort gives names under /dev without the folder.
    QString path = port.portName();
    if (!QFileInfo(path).isAbsolute())
        path.prepend(QStringLiteral("/dev/"));
    return QFileInfo(path).canonicalFilePath().section(u'/', -1);
}

class LinuxLatencyControl : public LatencyControl
{
  public:
    Result requestLowLatency(QSerialPort& port) override
    {
        const int fd = port.handle();
        if (fd < 0)
            return {};
        serial_struct settings{};
        if (::ioctl(fd, TIOCGSERIAL, &settings) != 0)
            return refused(port, errno);
        if ((settings.flags & ASYNC_LOW_LATENCY) != 0)
            return {Answer::Lowered, {}};
        // Only the flag changes; every other field goes back as the driver gave it, so no privilege
        // is needed.
        settings.flags |= ASYNC_LOW_LATENCY;
        if (::ioctl(fd, TIOCSSERIAL, &settings) != 0)
            return refused(port, errno);
        return {Answer::Lowered, {}};
    }

  private:
    static Result refused(const QSerialPort& port, int error)
    {
        const QString reason = QString::fromLocal8Bit(std::generic_category().message(error).c_str());
        // A device without serial settings (a pseudo-terminal, or an adapter whose driver has none) is
        // worth a word only when the adapter has a latency timer that can be set by hand.
        if (error == ENOTTY) {
            const QString name = kernelName(port);
            const bool hasTimer =
                !name.isEmpty() &&
                QFileInfo::exists(QStringLiteral("/sys/bus/usb-serial/devices/%1/latency_timer").arg(name));
            return {hasTimer ? Answer::NotLowered : Answer::NotTaken, hasTimer ? reason : QString()};
        }
        // A built-in port that refuses has no receive delay to speak of.
        if (!QSerialPortInfo(port).hasVendorIdentifier())
            return {Answer::NotTaken, {}};
        return {Answer::NotLowered, reason};
    }
};

} // namespace

std::unique_ptr<LatencyControl> makeSystemLatencyControl()
{
    return std::make_unique<LinuxLatencyControl>();
}

} // namespace emulink
