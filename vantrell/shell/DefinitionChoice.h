// The engine definition in use: the default at start-up and "Load &Engine Config File". A loaded
// definition names itself in the status bar, is remembered in the settings file, and tells the link the
// new ROM size (the boards place the image at the top of their memory).
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include "common/StatusSink.h"

#include <QObject>
#include <QString>

class QWidget;

#include <string>

namespace vantrell {

class EmulatorLink;
class StatusBarLabels;

class DefinitionChoice : public QObject
{
    Q_OBJECT
  public:
    // Uses everything it is given for its whole lifetime; owns none of it.
    DefinitionChoice(EditorState& state, Dialogs& dialogs, common::StatusSink& status, StatusBarLabels& bar,
                     EmulatorLink& link, QObject* parent = nullptr);

    // Loads the definition at `path`. A refused file is reported by the load and changes nothing.
    bool load(const std::string& path);
    // Asks for a definition in the config folder and loads it; a loaded one is remembered.
    void choose();
    // "Import XDF Definition...": makes an engine definition from an XDF file and a ROM image in the
    // config folder (the import dialog), then offers to load it; the definition in use stays until the
    // user says yes, since a load empties the ROM buffer.
    void importXdf(QWidget& window, const QString& programFolder);

  signals:
    // A definition chosen by the user was loaded.
    void chosen();

  private:
    EditorState& state_;
    Dialogs& dialogs_;
    common::StatusSink& status_;
    StatusBarLabels& bar_;
    EmulatorLink& link_;
};

} // namespace vantrell
