#include "vantrell/shell/LinkActions.h"

#include "vantrell/link/EmulatorLink.h"
#include "vantrell/setup/EmulatorSetupPage.h"
#include "vantrell/verify/BoardCheck.h"

#include <QProgressBar>

#include <algorithm>

namespace vantrell {

LinkActions::LinkActions(EditorState& state, EmulatorLink& link, EmulatorSetupPage& setup, BoardCheck& check,
                         Dialogs& dialogs, common::StatusSink& status, QProgressBar& progress,
                         QObject* parent)
    : QObject(parent), state_(state), link_(link), setup_(setup), check_(check), dialogs_(dialogs),
      status_(status), progress_(progress)
{}

void LinkActions::toggleOnline()
{
    setup_.toggleOnline();
}

void LinkActions::upload()
{
    if (!link_.isOnline()) {
        status_.appendStatusLine(link_messages::kUploadOffline);
        return;
    }
    const emulink::UploadResult result = link_.upload(state_.rom.bytes(), [this](int chunk, int count) {
        progress_.setRange(0, std::max(count - 1, 1));
        progress_.setValue(chunk);
    });
    progress_.setValue(0);
    check_.uploadEnded(result);
    if (result.chunkCount > 0)
        dialogs_.beep();
}

void LinkActions::takeOffline()
{
    if (!link_.isPortOpen())
        return;
    link_.goOffline();
}

} // namespace vantrell
