// The link's two actions in the window: the online toggle (menu, status bar panel) and the upload of
// the ROM buffer to the boards with the status window's progress bar, and taking the link offline
// when the window closes.
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include "common/StatusSink.h"

#include <QObject>

class QProgressBar;

namespace vantrell {

class BoardCheck;
class EmulatorLink;
class EmulatorSetupPage;

class LinkActions : public QObject
{
    Q_OBJECT
  public:
    // Uses everything it is given for its whole lifetime; owns none of it.
    LinkActions(EditorState& state, EmulatorLink& link, EmulatorSetupPage& setup, BoardCheck& check,
                Dialogs& dialogs, common::StatusSink& status, QProgressBar& progress,
                QObject* parent = nullptr);

    void toggleOnline();
    // Offline: one status line, nothing sent. A complete upload tells the board check what the boards
    // now hold; any upload that sent a chunk ends with a beep.
    void upload();
    // The boards are left alone from here on: offline, port closed (nothing when the port is closed).
    void takeOffline();

  private:
    EditorState& state_;
    EmulatorLink& link_;
    EmulatorSetupPage& setup_;
    BoardCheck& check_;
    Dialogs& dialogs_;
    common::StatusSink& status_;
    QProgressBar& progress_;
};

} // namespace vantrell
