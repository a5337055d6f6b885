// Loading and saving the ROM image: the remembered image at start-up, "&Load Rom Image" and "&Save Rom
// Image", with the settings file remembering the last one and the status bar naming it.
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorSettings.h"
#include "vantrell/editor/EditorState.h"

#include <QObject>

#include <string>

namespace vantrell {

class EmulatorLink;
class EmulatorSetupPage;
class StatusBarLabels;
class StatusWindow;

class RomImageActions : public QObject
{
    Q_OBJECT
  public:
    // Uses everything it is given for its whole lifetime; owns none of it.
    RomImageActions(EditorState& state, Dialogs& dialogs, StatusWindow& status, StatusBarLabels& bar,
                    const EmulatorSetupPage& setup, const EmulatorLink& link, QObject* parent = nullptr);

    // Start-up: the next load takes the image remembered in the settings file, without a dialog.
    void rememberLastImage();
    // The first load after start-up reads the remembered image; every later one asks for a file. A
    // file that cannot be used leaves the buffer as it was, with one status line.
    void loadRomImage();
    void saveRomImage();

    bool firstLoad() const { return firstLoad_; }
    const std::string& romFileName() const { return romFileName_; }

  signals:
    // An image was read into the buffer.
    void loaded();

  private:
    void announceRomLayout();

    EditorState& state_;
    Dialogs& dialogs_;
    StatusWindow& status_;
    StatusBarLabels& bar_;
    const EmulatorSetupPage& setup_;
    const EmulatorLink& link_;
    std::string romFileName_;
    bool firstLoad_ = true;
};

} // namespace vantrell
