// The emulator setup page "frame_pellory": the port to use, the scan for boards, the ROM layout, bus
// width and pull options, and the online/offline toggle. It keeps the emulator options of this run
// (EmulatorSettings) and drives the link; every message goes to the status log.
//
// Beside the port box, the list of the system's serial ports (`port_list`) fills the box with the port
// chosen. When exactly one USB serial adapter is connected and the box names no port that exists, the
// page suggests the adapter in a status line: when the page opens or the box is left (not twice in a
// row for the same box text and adapter), and after a scan or online attempt that failed.
#pragma once

#include "vantrell/setup/EmulatorSettings.h"

#include "common/StatusSink.h"
#include "emulink/PortListBox.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace emulink {
class PortListBox;
}

namespace vantrell {

class EmulatorLink;

class EmulatorSetupPage : public QWidget
{
    Q_OBJECT
  public:
    // `programFolder` is where config/ports.ini may name the ports.
    EmulatorSetupPage(EmulatorLink& link, common::StatusSink& status, QString programFolder,
                      QWidget* parent = nullptr);

    EmulatorSettings& settings() { return settings_; }
    const EmulatorSettings& settings() const { return settings_; }

    // Start-up: every emulator option back to 0 and every option button cleared.
    void resetSettings();
    // The page is shown: the found count is brought up to date.
    void openPage();
    // The keyboard starts in the port box (the editor opens on this page: the port is the first thing
    // to type, and Tab then reaches the port list and "Scan for Emulators").
    void focusPortBox();

    // The button "Scan for Emulators".
    void scan();
    // The menu item and the status label: refuses with a status line unless width, count and layout
    // are set; otherwise the link goes online (with its search) or offline.
    void toggleOnline();

    // Where the port list gets the ports from (the system's until this is called).
    void setPortLister(emulink::PortListBox::Lister lister);
    // The port the box names, as the link opens it.
    QString portName() const;
    // "Check emulator contents when going online": on unless the settings file says "0".
    bool checkContentsOnline() const;

  signals:
    // The scan has opened the port: the window brings this page to the front.
    void scanStarted();
    // The toggle took the link online (its search found the board).
    void wentOnline();

  private:
    void bitsClicked(int requested);
    void showBits();
    void portBoxEdited();
    // The adapter suggestion; `again` shows it even when the last one said the same.
    void suggestAdapter(bool again);

    EmulatorLink& link_;
    common::StatusSink& status_;
    QString programFolder_;
    EmulatorSettings settings_;
    QLineEdit* portBox_;
    emulink::PortListBox* portList_;
    // Box text and adapter of the last suggestion shown; empty when the last check suggested nothing.
    QString lastSuggestion_;
    QPushButton* scanButton_;
    QProgressBar* scanbar_;
    QLineEdit* found_;
    QButtonGroup* layoutGroup_;
    QButtonGroup* bitsGroup_;
    QButtonGroup* pullGroup_;
    QRadioButton* option8_;
    QRadioButton* option16_;
    QCheckBox* checkContents_;
};

} // namespace vantrell
