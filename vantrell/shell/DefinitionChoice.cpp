#include "vantrell/shell/DefinitionChoice.h"

#include "vantrell/editor/EditorSettings.h"
#include "vantrell/link/EmulatorLink.h"
#include "vantrell/shell/StatusBarLabels.h"
#include "vantrell/xdf/window/XdfImportDialog.h"

#include <QDir>

namespace vantrell {

DefinitionChoice::DefinitionChoice(EditorState& state, Dialogs& dialogs, common::StatusSink& status,
                                   StatusBarLabels& bar, EmulatorLink& link, QObject* parent)
    : QObject(parent), state_(state), dialogs_(dialogs), status_(status), bar_(bar), link_(link)
{}

bool DefinitionChoice::load(const std::string& path)
{
    if (!state_.loadDefinition(path, status_))
        return false;
    bar_.setEngine(QString::fromStdString(state_.def.config));
    link_.setRomSize(static_cast<std::uint32_t>(state_.rom.size()));
    return true;
}

void DefinitionChoice::choose()
{
    const std::string path = dialogs_.fncGetFileNametoOpen("Open Engine Config File", "Config Files|*.ini",
                                                           "*.ini", state_.folders.config);
    if (path.empty()) {
        status_.appendStatusLine("Config Canceled");
        return;
    }
    // A refused file is reported by the load and not remembered; the previous definition stays.
    if (!load(path))
        return;
    EditorSettings(state_.folders.settingsFile).rememberEngine(fileNameOf(path));
    emit chosen();
}

void DefinitionChoice::importXdf(QWidget& window, const QString& programFolder)
{
    const QString path = xdf::XdfImportDialog::importDefinition(&window, programFolder);
    if (path.isEmpty()) {
        status_.appendStatusLine("XDF import canceled");
        return;
    }
    const std::string saved = QDir::toNativeSeparators(path).toStdString();
    status_.appendStatusLine("Engine config saved to " + saved);
    if (dialogs_.askYesNo("Import XDF Definition", "Load the imported engine config " + fileNameOf(saved) +
                                                       " now? The rom buffer is emptied by the load.") !=
        Dialogs::Answer::Yes)
        return;
    if (!load(path.toStdString()))
        return;
    EditorSettings(state_.folders.settingsFile).rememberEngine(fileNameOf(saved));
    emit chosen();
}

} // namespace vantrell
