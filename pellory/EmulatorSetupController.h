// The setup tool's actions without any widget: open and close the port, search the line for boards,
// give a single board the ID 1 or 2, set the boards' pull mode. Works over a SerialPort and a Clock
// (both owned by the caller and used for the controller's whole lifetime) and reports through a
// StatusTextView.
//
// One action at a time: while an action waits, a second one is refused (returns false and sends
// nothing), so two exchanges never share the line. When the port is not open, every action shows
// kPortError instead of sending, followed by the reason when the last open failed.
//
// What the port advises about its device (SerialPort::portAdvice) is added to the status text as a
// line when it comes.
#pragma once

#include "StatusTextView.h"

#include "emulink/Clock.h"
#include "emulink/PortList.h"
#include "emulink/SerialPort.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace pellory {

class EmulatorSetupController : public QObject
{
    Q_OBJECT
  public:
    static inline const QString kPortError = QStringLiteral("Invalid comport or comport init error");
    static inline const QString kLineBreak = QStringLiteral("\r\n");

    // `programFolder` is where config/ports.ini is looked up for numbered ports.
    EmulatorSetupController(emulink::SerialPort& port, emulink::Clock& clock, StatusTextView& view,
                            QString programFolder, QObject* parent = nullptr);
    ~EmulatorSetupController() override;

    // Opens the port that the port box text names (a number is looked up as the editor does), with
    // DTR and RTS raised. On failure the port is left closed and the status text becomes kPortError
    // and a line with the reason and what to do (emulink::openFailureAdvice), and when exactly one USB
    // serial adapter is connected, a line that suggests it (emulink::suggestedAdapter); a success
    // after such a failure clears that message. Refused (false) while an action runs.
    bool openPort(const QString& boxText);
    // Where the serial ports for the suggestion come from: the system's (emulink::systemPorts) unless
    // set.
    void setPortLister(std::function<std::vector<emulink::PortDescription>()> lister);
    // Drops DTR and RTS and closes the port, when it is open.
    void closePort();
    bool portIsOpen() const { return port_.isOpen(); }

    // "ID all connected emulators": a 1-second pause, then a version probe of every ID from 0 to 255
    // (a fixed 50 ms each); each ID that answered adds a line "Found emulator at ID n" to the status
    // text, below what it already held. Stops early when cancelled or when the port closes under it
    // (then a kPortError line is added).
    bool searchEmulators();
    // Sends the set-emulator-ID frame (every board on the line takes it), waits a fixed second and
    // shows the reply as characters.
    bool setEmulatorId(std::uint8_t newId);
    // Shows "Emulator 'pullhard' set" / "Emulator 'pullsoft' set" first, then sends the set-pull frame
    // and waits a fixed second; the reply is not looked at.
    bool setPull(std::uint8_t value);

    bool isBusy() const { return busy_; }
    // Asks a running search to stop after its current probe (the window is closing).
    void cancel() { cancelled_ = true; }

    // The status text, lines separated by CR LF.
    const QString& statusText() const { return statusText_; }
    void setStatusText(const QString& text);
    // Adds CR LF and the line to the status text.
    void appendStatusLine(const QString& line);

  private:
    class BusyScope;
    bool reportIfClosed();
    // kPortError, and on the next line why the last open failed (when it did).
    QString portErrorText() const;

    emulink::SerialPort& port_;
    emulink::Clock& clock_;
    StatusTextView& view_;
    QString programFolder_;
    std::function<std::vector<emulink::PortDescription>()> portLister_;
    QString statusText_;
    bool busy_ = false;
    bool cancelled_ = false;
};

} // namespace pellory
