// The editor's main window: builds the editor's parts (EditorParts), wires them to each other, runs
// the start-up and asks before the program closes. The parts do the work: the pages, the status bar,
// the ROM image and definition actions, the link actions, the menus and the key preview.
//
// Everything runs on the user-interface thread. The link's waits hold user input back until they end,
// so no handler starts an exchange while another one waits.
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/shell/EditorParts.h"

#include "emulink/Clock.h"
#include "emulink/PortListBox.h"
#include "emulink/SerialPort.h"

#include <QMainWindow>

namespace vantrell {

class MainWindow : public QMainWindow
{
    Q_OBJECT
  public:
    // `programFolder` holds config/, data/, maps/ and afm/ (the executable's folder in the program;
    // a temporary folder in tests). The dialogs, port and clock are used for the window's lifetime.
    // The constructor runs the whole start-up and ends on the emulator setup page.
    // `ports` lists the serial ports for the setup page's port list (the system's when empty; tests give
    // a fixed list so that no port of the machine they run on shows).
    MainWindow(const QString& programFolder, Dialogs& dialogs, emulink::SerialPort& port,
               emulink::Clock& clock, emulink::PortListBox::Lister ports = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The parts the window is made of.
    EditorParts& parts() { return parts_; }

    // True once the exit menu item or an answered close request has let the window close.
    bool closingAccepted() const { return closingAccepted_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // "E&xit": the close question, then the window closes without asking again.
    void exitProgram();
    void wireParts();
    void startUp();
    Dialogs::Answer askSaveBeforeClosing();

    QString programFolder_;
    Dialogs& dialogs_;
    EditorParts parts_;
    bool exitRequested_ = false;
    bool closingAccepted_ = false;
};

} // namespace vantrell
