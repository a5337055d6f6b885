// The seam between the link and a serial line: what the link needs of a port and nothing more.
//
// Implementations: QtSerialPort (a real line or a pseudo-terminal) and boardsim::InProcessPort
// (simulated boards inside the test process). Both pass the same contract tests. Every call runs on the
// thread that owns the object (the user-interface thread); nothing blocks.
#pragma once

#include "Frames.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>

namespace emulink {

// Line events that end the link. The first seven are the classic line events (their old event numbers
// in brackets); HangUp means the other end went away (unplugged adapter, closed pseudo-terminal, read
// or resource error) and WriteFailed that bytes could not be handed to the line.
enum class CommsEvent {
    Break,           // 1001
    FramingError,    // 1004
    Overrun,         // 1006
    ReceiveOverflow, // 1008
    ParityError,     // 1009
    TransmitFull,    // 1010
    SettingsError,   // 1011
    HangUp,
    WriteFailed,
};

// Short English name of the event, for logs and test output.
const char* commsEventName(CommsEvent event);

// Why the last open() failed, in the cases a user can do something about.
enum class OpenFailure {
    None,             // the last open succeeded, or none was tried
    PermissionDenied, // the user may not open the device
    NoSuchPort,       // no device of that name (not plugged in, wrong number)
    InUse,            // another program, or another port object, holds the device
    Other,            // anything else; errorText() has the system's words
};

class SerialPort : public QObject
{
    Q_OBJECT
  public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // The emulator boards' line speed; the ECU's diagnostic line runs slower.
    static constexpr std::int32_t kBoardBaud = 115200;

    // Opens the named port at `baud` (the boards' 115200 unless told), 8 data bits, no parity, 1 stop
    // bit, no flow control, bytes passed unchanged. Returns isOpen() afterwards. Opening an open port
    // closes it first. A failure leaves the port closed with openFailure() and errorText() set; an
    // empty name fails as NoSuchPort.
    virtual bool open(const QString& name, std::int32_t baud = kBoardBaud) = 0;
    // Closes the port; safe when closed. Bytes waiting are lost.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Name given to the last open().
    virtual QString name() const = 0;

    // Modem-control lines. A port that cannot carry them (a pseudo-terminal) ignores the request; that
    // is not an error. Without effect while closed.
    virtual void setDtr(bool raised) = 0;
    virtual void setRts(bool raised) = 0;

    // Drops every byte waiting in the receive buffer and every byte not yet sent.
    virtual void discardBuffers() = 0;
    // Hands the bytes to the line. False when the port is closed or the write is refused.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Count of received bytes waiting to be read.
    virtual std::size_t bytesWaiting() const = 0;
    // Takes every byte waiting (possibly none).
    virtual Bytes readAll() = 0;

    // Description of the last failure (of an open or a line event); empty when none.
    virtual QString errorText() const = 0;
    // Kind of failure of the last open(); None after a successful one.
    virtual OpenFailure openFailure() const = 0;

  signals:
    // New bytes are waiting. Emitted from the event loop, never from inside a call on the port.
    void readyRead();
    // A line event. For HangUp the port has already been closed when the signal arrives.
    void commsError(emulink::CommsEvent event);
    // Something the user should read about the device just opened that is no failure (a USB adapter
    // that keeps its receive delay, and how to lower it): one status line. Each text at most once per
    // device for the port's lifetime, emitted from the event loop after the open.
    void portAdvice(const QString& text);
};

// The port opening used by the editor and the setup tool: an open port is first closed with DTR and
// RTS dropped; then the named port is opened at the line settings above, DTR and RTS raised and both
// buffers discarded. On failure the port is left closed. Returns port.isOpen().
bool openPowered(SerialPort& port, const QString& name);

// Drops DTR and RTS and closes the port, when it is open.
void closeDropped(SerialPort& port);

// Whether a refused permission is worth the advice to join the "dialout" group: on Linux, the serial
// devices belong to that group.
#ifdef Q_OS_LINUX
inline constexpr bool kDialoutAdvice = true;
#else
inline constexpr bool kDialoutAdvice = false;
#endif

// The line shown after "Invalid comport or comport init error": what went wrong with the named port
// and what the user can do about it, or the system's own text (`systemText`) when the failure is of
// no known kind. Empty for OpenFailure::None.
QString openFailureAdvice(OpenFailure failure, const QString& portName, const QString& systemText,
                          bool dialoutAdvice = kDialoutAdvice);
// The same for the last open() of the port.
QString openFailureAdvice(const SerialPort& port);

} // namespace emulink
