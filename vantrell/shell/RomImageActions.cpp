#include "vantrell/shell/RomImageActions.h"

#include "vantrell/document/RomFile.h"
#include "vantrell/link/EmulatorLink.h"
#include "vantrell/setup/EmulatorSetupPage.h"
#include "vantrell/shell/StatusBarLabels.h"
#include "vantrell/shell/StatusWindow.h"

#include <QProgressBar>

namespace vantrell {

RomImageActions::RomImageActions(EditorState& state, Dialogs& dialogs, StatusWindow& status,
                                 StatusBarLabels& bar, const EmulatorSetupPage& setup,
                                 const EmulatorLink& link, QObject* parent)
    : QObject(parent), state_(state), dialogs_(dialogs), status_(status), bar_(bar), setup_(setup),
      link_(link)
{}

void RomImageActions::rememberLastImage()
{
    firstLoad_ = true;
    romFileName_ = EditorSettings(state_.folders.settingsFile).rememberedRom(state_.folders.program);
    bar_.setFileName(QString::fromStdString(romFileName_));
}

void RomImageActions::announceRomLayout()
{
    const int layout = setup_.settings().emulator_rom;
    QProgressBar* progress = status_.progressBar();
    switch (romLayoutProgress(layout)) {
    case AnnouncementProgress::Untouched:
        break;
    case AnnouncementProgress::Reset:
        progress->repaint();
        progress->setValue(0);
        break;
    case AnnouncementProgress::Sweep:
        progress->repaint();
        progress->setRange(0, 32768);
        for (int i = 0; i < 32768; i += 256)
            progress->setValue(i);
        progress->setValue(32767);
        progress->setValue(0);
        break;
    }
    const std::string text = romLayoutAnnouncement(layout);
    if (!text.empty())
        status_.appendStatusLine(text);
}

void RomImageActions::loadRomImage()
{
    if (!setup_.settings().romLoadAllowed()) {
        status_.appendStatusLine(kConfigureFirst);
        return;
    }
    std::string path;
    if (!firstLoad_) {
        romFileName_.clear();
        path =
            dialogs_.fncGetFileNametoOpen("Open Rom Image", "Rom Images|*.bin", "*.bin", state_.folders.data);
        romFileName_ = path;
        if (path.empty()) {
            status_.appendStatusLine("Load Canceled");
            return;
        }
    } else {
        path = romFileName_;
    }
    if (!fileExists(path)) {
        firstLoad_ = false;
        return;
    }
    if (!state_.definitionUsable || state_.rom.size() == 0) {
        status_.appendStatusLine("No usable engine config loaded - the rom image " + fileNameOf(path) +
                                 " cannot be loaded");
        firstLoad_ = false;
        return;
    }
    const RomRead read = readRomImage(path, state_.rom);
    if (!read.ok) {
        status_.appendStatusLine("Rom image " + fileNameOf(path) + " not loaded: " + read.error);
        firstLoad_ = false;
        return;
    }
    const std::string sizeLine = romSizeMismatchLine(fileNameOf(path), read, state_.rom.size());
    if (!sizeLine.empty())
        status_.appendStatusLine(sizeLine);
    announceRomLayout();
    EditorSettings(state_.folders.settingsFile).rememberRom(path);
    romFileName_ = fileNameOf(path);
    if (link_.isOnline())
        status_.appendStatusLine("Dont forget to upload the rom to the emulator if you havnt already");
    bar_.setFileName(QString::fromStdString(romFileName_));
    firstLoad_ = false;
    emit loaded();
}

void RomImageActions::saveRomImage()
{
    romFileName_.clear();
    const std::string path =
        dialogs_.fncGetFileNametoSave("Rom Images|*.bin", "*.bin", "Save Rom Image", state_.folders.data);
    romFileName_ = path;
    if (path.empty()) {
        status_.appendStatusLine("Save Canceled");
        return;
    }
    if (state_.rom.size() == 0) {
        status_.appendStatusLine("No usable engine config loaded - there is no rom image to save");
        return;
    }
    std::string error;
    if (!writeRomImage(path, state_.rom.buffer(), error)) {
        status_.appendStatusLine("Rom not saved to " + path + ": " + error);
        return;
    }
    status_.setText("Rom Saved");
    EditorSettings(state_.folders.settingsFile).rememberRom(path);
    bar_.setFileName(QString::fromStdString(path));
}

} // namespace vantrell
