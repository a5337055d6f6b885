// Knowing what the boards hold, from the window: "&Verify Emulator(s)" and "Upload &Changes to
// Emulator(s)" in the emulator menu, and the sync check right after going online. The progress bar
// shows the blocks read and sent; the status window the outcome; the grid marks the cells a board
// holds differently.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/verify/BoardCheck.h"

#include <QObject>

class QMenu;
class QProgressBar;

namespace vantrell {

class EmulatorLink;
class EmulatorSetupPage;
class MapGrid;

class VerifyActions : public QObject
{
    Q_OBJECT
  public:
    // Uses everything it is given for its whole lifetime; owns none of it.
    VerifyActions(BoardCheck& check, EmulatorLink& link, Dialogs& dialogs, common::StatusSink& status,
                  QProgressBar& progress, MapGrid& grid, EmulatorSetupPage& setup, QObject* parent = nullptr);

    void addTo(QMenu* emulator);

    // Reads every block of every found board and says, board by board, whether it holds the buffer.
    void verify();
    // Reads the blocks not known, then sends the ones that differ to the boards they differ on.
    void uploadChanges();
    // After going online, when the setup page asks for it: a verify, then for each board that differs
    // the question whether to send the differing blocks.
    void syncCheck();

  private:
    bool readAll(const char* what);
    void send(const std::vector<std::uint8_t>& ids);
    void showProgress(int done, int total);

    BoardCheck& check_;
    EmulatorLink& link_;
    Dialogs& dialogs_;
    common::StatusSink& status_;
    QProgressBar& progress_;
    MapGrid& grid_;
    EmulatorSetupPage& setup_;
};

} // namespace vantrell
