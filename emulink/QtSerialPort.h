// SerialPort over QSerialPort: a real serial line, a USB adapter or a pseudo-terminal.
//
// DTR and RTS requests that the device cannot carry (a pseudo-terminal answers "Inappropriate ioctl
// for device") are ignored and the port's sticky error is cleared after them. A read or resource
// error (the other end went away) closes the port and is reported as CommsEvent::HangUp from the next
// pass of the event loop (left open, QSerialPort repeats the error at full CPU). A write error is
// reported as WriteFailed, any other unexpected error as SettingsError. Qt 6 reports no break,
// framing or parity events; boardsim::InProcessPort can inject them.
//
// A failed open is sorted by QSerialPort's error code. Qt reports a device that another program holds
// as a permission error too: through its lock file (a second open of the same device, also from this
// process) or the system's "device busy". Those two are told apart from a refused permission by their
// error text and reported as InUse.
//
// After each open the port asks the device's driver for low latency (LatencyControl); a USB serial
// adapter that keeps its receive delay is reported once per device through portAdvice(), with how to
// lower it by hand. A pseudo-terminal takes no such request and is not reported.
#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN
// Windows builds have no Qt Serial Port: code written against QtSerialPort (tests and timings over
// virtual boards) gets the Win32 port there.
#include "WinSerialPort.h"
namespace emulink {
class QtSerialPort : public WinSerialPort
{
  public:
    using WinSerialPort::WinSerialPort;
};
} // namespace emulink
#else

#include "LatencyControl.h"
#include "SerialPort.h"

#include <QSerialPort>
#include <QSet>

#include <cstdint>
#include <memory>

namespace emulink {

class QtSerialPort : public SerialPort
{
    Q_OBJECT
  public:
    // Asks for low latency through this system's control (makeSystemLatencyControl).
    explicit QtSerialPort(QObject* parent = nullptr);
    // Asks through `latency` (not null), which the port owns.
    explicit QtSerialPort(std::unique_ptr<LatencyControl> latency, QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool open(const QString& name, std::int32_t baud = kBoardBaud) override;
    void close() override;
    bool isOpen() const override;
    QString name() const override { return name_; }
    void setDtr(bool raised) override;
    void setRts(bool raised) override;
    void discardBuffers() override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesWaiting() const override;
    Bytes readAll() override;
    QString errorText() const override { return error_; }
    OpenFailure openFailure() const override { return failure_; }

  private:
    void onError(QSerialPort::SerialPortError error);
    void requestLowLatency();

    QSerialPort serial_;
    std::unique_ptr<LatencyControl> latency_;
    // Devices whose latency advice has been given.
    QSet<QString> advised_;
    QString name_;
    QString error_;
    OpenFailure failure_ = OpenFailure::None;
    bool eventPending_ = false;
    std::uint64_t generation_ = 0;
};

} // namespace emulink

#endif // Q_OS_WIN
