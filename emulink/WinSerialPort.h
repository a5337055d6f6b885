// SerialPort over the Win32 communications API: a COM port (built-in, a USB adapter, or under Wine a
// pseudo-terminal mapped to a COM name).
//
// The port is opened for overlapped I/O. One read is always pending: a blocking read of one byte
// (timeouts all zero, so it ends as soon as a byte arrives, without the timer granularity an interval
// timeout would add); when it ends, the bytes the driver holds by then are taken at once. Reads and
// writes end in completion routines (ReadFileEx, WriteFileEx), which Windows runs in the thread's
// alertable wait: Qt's event loop waits that way, so waiting costs no CPU and readyRead comes from
// the event loop without a posted event's delay. Writes are queued while one is in progress; write()
// never waits for the line.
//
// A failed read (the adapter was unplugged, the other end of a pseudo-terminal went away) closes the
// port and is reported once as CommsEvent::HangUp; a failed write as WriteFailed. Modem lines that the
// driver cannot carry (a pseudo-terminal under Wine answers error 50) are ignored.
//
// Port names: "COM7", "com7", "\\.\COM7", or a bare number ("7" is COM7). "Access denied" on open is
// what Windows answers when another program holds the port: reported as InUse with that advice.
// A USB serial adapter is told about once per device (portAdvice): Windows offers no call to lower
// its receive delay, only Device Manager.
#pragma once

#include "SerialPort.h"

#include <QSet>

#include <cstdint>
#include <memory>

namespace emulink {

class WinSerialPort : public SerialPort
{
    Q_OBJECT
  public:
    explicit WinSerialPort(QObject* parent = nullptr);
    ~WinSerialPort() override;

    bool open(const QString& name, std::int32_t baud = kBoardBaud) override;
    void close() override;
    bool isOpen() const override;
    QString name() const override { return name_; }
    void setDtr(bool raised) override;
    void setRts(bool raised) override;
    void discardBuffers() override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesWaiting() const override { return received_.size(); }
    Bytes readAll() override;
    QString errorText() const override { return error_; }
    OpenFailure openFailure() const override { return failure_; }

    // The Win32 device path for a port name: "COM7" and "7" give "\\.\COM7"; a name that already
    // starts with "\\.\" is kept. Empty for an empty name.
    static QString devicePath(const QString& name);

    // The operation's state and the ends of its operations (called by their completion routines).
    struct Io;
    void onReadDone(unsigned long error, unsigned long count);
    void onWriteDone(unsigned long error, unsigned long count);

  private:
    void startRead();
    void startWrite();
    void hangUp(CommsEvent event, const QString& text);
    void adviseLatency();

    std::unique_ptr<Io> io_;
    QSet<QString> advised_;
    QString name_;
    QString error_;
    OpenFailure failure_ = OpenFailure::None;
    Bytes received_;
};

} // namespace emulink
