// The setup tool's one window, `form_emulator_setup`: a port number box with the list of the system's
// serial ports beside it (`port_list`; choosing one puts its name in the box and opens it), the status
// text area `text_status_window` and the five action buttons. The logic lives in EmulatorSetupController; the
// window shows its text and keeps the controls disabled while an action waits, so no second exchange
// can start on the line.
#pragma once

#include "EmulatorSetupController.h"
#include "StatusTextView.h"

#include "emulink/Clock.h"
#include "emulink/PortListBox.h"
#include "emulink/SerialPort.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pellory {

class EmulatorSetupWindow : public QWidget, private StatusTextView
{
    Q_OBJECT
  public:
    // A null `port` or `clock` is replaced by one the window owns (the system's port, the steady clock);
    // given ones must outlive the window. An empty `programFolder` means the executable's folder. The
    // port list shows what `ports` gives, or the system's serial ports when it is empty.
    // Opens the port that the port box names ("1" at start); a failure shows the port error.
    explicit EmulatorSetupWindow(emulink::SerialPort* port = nullptr, emulink::Clock* clock = nullptr,
                                 QString programFolder = {}, emulink::PortListBox::Lister ports = {},
                                 QWidget* parent = nullptr);
    ~EmulatorSetupWindow() override;

    EmulatorSetupController& controller() { return *controller_; }

  protected:
    // Drops DTR and RTS and closes the port. While an action waits, the close is put off until the
    // action has stopped (a search stops after its current probe).
    void closeEvent(QCloseEvent* event) override;

  private:
    void showStatusText(const QString& text) override;
    // Runs one action with every control disabled; input that arrived during its waits reaches the
    // disabled controls and is dropped.
    void runAction(const std::function<void()>& action);
    void setControlsEnabled(bool enabled);
    // The port box rule on focus loss; a changed port is opened at once.
    void portBoxEditingFinished();

    std::unique_ptr<emulink::SerialPort> ownPort_;
    std::unique_ptr<emulink::Clock> ownClock_;
    std::unique_ptr<EmulatorSetupController> controller_;

    QLineEdit* comportNumber_ = nullptr;
    emulink::PortListBox* portList_ = nullptr;
    QPlainTextEdit* textStatusWindow_ = nullptr;
    QPushButton* buttonGetEmulatorId_ = nullptr;
    QPushButton* buttonSetEmulatorIdLow_ = nullptr;
    QPushButton* buttonSetEmulatorIdHi_ = nullptr;
    QPushButton* buttonSetEmulatorPullhard_ = nullptr;
    QPushButton* buttonSetEmulatorPullsoft_ = nullptr;

    QString openedBoxText_;
    bool closeWhenIdle_ = false;
};

} // namespace pellory
