#include "vantrell/shell/VerifyActions.h"

#include "vantrell/grid/MapGrid.h"
#include "vantrell/link/EmulatorLink.h"
#include "vantrell/setup/EmulatorSetupPage.h"

#include <QAction>
#include <QMenu>
#include <QProgressBar>

namespace vantrell {

VerifyActions::VerifyActions(BoardCheck& check, EmulatorLink& link, Dialogs& dialogs,
                             common::StatusSink& status, QProgressBar& progress, MapGrid& grid,
                             EmulatorSetupPage& setup, QObject* parent)
    : QObject(parent), check_(check), link_(link), dialogs_(dialogs), status_(status), progress_(progress),
      grid_(grid), setup_(setup)
{
    check_.setMarksChanged([this](std::uint32_t address, std::uint32_t length) {
        grid_.gridModel()->markWhere(CellMark::DiffersOnBoard, address, length,
                                     [this](std::uint32_t a) { return check_.knowledge().marked(a); });
    });
    connect(&link_, &EmulatorLink::wentOffline, this, [this] { check_.linkOffline(); });
    connect(&setup_, &EmulatorSetupPage::wentOnline, this, &VerifyActions::syncCheck);
}

void VerifyActions::addTo(QMenu* emulator)
{
    QAction* verify = emulator->addAction(QStringLiteral("&Verify Emulator(s)"));
    verify->setObjectName(QStringLiteral("menu_emulator_verify"));
    connect(verify, &QAction::triggered, this, &VerifyActions::verify);
    QAction* changes = emulator->addAction(QStringLiteral("Upload &Changes to Emulator(s)"));
    changes->setObjectName(QStringLiteral("menu_emulator_upload_changes"));
    connect(changes, &QAction::triggered, this, &VerifyActions::uploadChanges);
}

void VerifyActions::showProgress(int done, int total)
{
    progress_.setRange(0, std::max(total, 1));
    progress_.setValue(done);
}

bool VerifyActions::readAll(const char* what)
{
    const BoardCheck::ReadResult read = check_.read(true, [this](int d, int t) { showProgress(d, t); });
    progress_.setValue(0);
    for (const BoardCheck::BoardRead& board : read.boards)
        if (board.complete)
            for (const std::string& line : verifyLines(check_.knowledge(), board.id, board.differingBytes))
                status_.appendStatusLine(line);
    if (!read.complete)
        status_.appendStatusLine(std::string(what) + " incomplete - emulator disabled");
    return read.complete;
}

void VerifyActions::verify()
{
    const std::string refused = check_.refusal("Verify");
    if (!refused.empty()) {
        status_.appendStatusLine(refused);
        return;
    }
    readAll("Verify");
}

void VerifyActions::send(const std::vector<std::uint8_t>& ids)
{
    const std::vector<BoardCheck::BoardSend> sends =
        check_.sendDiffering(ids, [this](int d, int t) { showProgress(d, t); });
    progress_.setValue(0);
    bool sentAny = false;
    for (const BoardCheck::BoardSend& s : sends) {
        const std::string board = "Emulator ID " + std::to_string(s.id);
        if (s.sent.empty() && s.complete) {
            status_.appendStatusLine(board + " holds the ROM buffer - nothing to send");
            continue;
        }
        sentAny = sentAny || !s.sent.empty();
        if (!s.confirmed.empty())
            status_.appendStatusLine(
                board + ": " + std::to_string(s.confirmed.size()) +
                (s.confirmed.size() == 1 ? " block" : " blocks") +
                " sent and read back equal: " + blockRanges(check_.knowledge(), s.confirmed));
        if (!s.complete)
            status_.appendStatusLine(board + ": " + std::to_string(s.sent.size() - s.confirmed.size()) +
                                     " of the blocks sent did not read back equal");
    }
    if (!link_.isOnline())
        status_.appendStatusLine("Upload of changes incomplete - emulator disabled");
    if (sentAny)
        dialogs_.beep();
}

void VerifyActions::uploadChanges()
{
    const std::string refused = check_.refusal("Upload of changes");
    if (!refused.empty()) {
        status_.appendStatusLine(refused);
        return;
    }
    // What is not known is read first: only blocks that differ go out.
    const BoardCheck::ReadResult read = check_.read(false, [this](int d, int t) { showProgress(d, t); });
    progress_.setValue(0);
    if (!read.complete) {
        status_.appendStatusLine("Upload of changes incomplete - emulator disabled");
        return;
    }
    send(check_.foundIds());
}

void VerifyActions::syncCheck()
{
    if (!setup_.checkContentsOnline() || !check_.refusal("Verify").empty())
        return;
    status_.appendStatusLine("Checking what the emulator(s) hold");
    if (!readAll("Check"))
        return;
    for (std::uint8_t id : check_.foundIds()) {
        const std::size_t blocks = check_.knowledge().blocks(id, BlockState::Differs).size();
        if (blocks == 0)
            continue;
        const std::string question = "Emulator ID " + std::to_string(id) +
                                     " differs from the ROM buffer in " + std::to_string(blocks) +
                                     (blocks == 1 ? " block" : " blocks") +
                                     ". Send the differing blocks now?";
        if (dialogs_.askYesNo("Emulator contents", question) == Dialogs::Answer::Yes)
            send({id});
        if (!link_.isOnline())
            return;
    }
}

} // namespace vantrell
