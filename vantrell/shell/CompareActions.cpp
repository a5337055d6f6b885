#include "vantrell/shell/CompareActions.h"

#include "common/clsIniFile.h"
#include "vantrell/grid/MapGrid.h"
#include "vantrell/tools/MapView3D.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace vantrell {

CompareActions::CompareActions(EditorState& state, ReferenceCompare& compare, Dialogs& dialogs,
                               common::StatusSink& status, MapGrid& grid, MapView3D& view, QObject* parent)
    : QObject(parent), state_(state), compare_(compare), dialogs_(dialogs), status_(status), grid_(grid),
      view_(view)
{
    compare_.setChangedCallback([this](std::uint32_t address, std::uint32_t length) {
        grid_.gridModel()->markWhere(CellMark::DiffersFromReference, address, length,
                                     [this](std::uint32_t a) { return compare_.differsAt(a); });
    });
    grid_.gridModel()->setReferenceSource([this](std::uint32_t a) { return compare_.referenceAt(a); });
    view_.setRinged([this](std::uint32_t a) { return compare_.differsAt(a); });
}

void CompareActions::addFileActions(QMenu* file)
{
    QAction* start = file->addAction(QStringLiteral("&Compare with Image..."));
    start->setObjectName(QStringLiteral("menu_file_compare"));
    connect(start, &QAction::triggered, this, &CompareActions::chooseReference);
    stop_ = file->addAction(QStringLiteral("Stop &Comparing"));
    stop_->setObjectName(QStringLiteral("menu_file_compare_stop"));
    connect(stop_, &QAction::triggered, this, &CompareActions::stopComparing);
    update();
}

void CompareActions::addMapActions(QMenu* map)
{
    revert_ = map->addAction(QStringLiteral("&Revert Selection to Reference"));
    revert_->setObjectName(QStringLiteral("menu_map_revert"));
    connect(revert_, &QAction::triggered, this, &CompareActions::revertSelection);
    update();
}

void CompareActions::chooseReference()
{
    const std::string path =
        dialogs_.fncGetFileNametoOpen("Compare with Image", "Rom Images|*.bin", "*.bin", state_.folders.data);
    if (path.empty()) {
        status_.appendStatusLine("Compare Canceled");
        return;
    }
    const std::string name = fileNameOf(path);
    if (state_.rom.size() == 0) {
        status_.appendStatusLine("No usable engine config loaded - " + name + " cannot be compared");
        return;
    }
    std::string contents;
    if (!fileExists(path) || !common::readWholeFile(path, contents)) {
        status_.appendStatusLine("Reference image " + name + " not read: the file cannot be read" +
                                 (compare_.active() ? " - still comparing with " + compare_.name() : ""));
        return;
    }
    compare_.start(name, std::vector<std::uint8_t>(contents.begin(), contents.end()));
    for (const std::string& line : compare_.listing(namedTables(state_)))
        status_.appendStatusLine(line);
    update();
    view_.drawView();
}

void CompareActions::stopComparing()
{
    if (!compare_.active())
        return;
    const std::string name = compare_.name();
    compare_.stop();
    status_.appendStatusLine("Stopped comparing with " + name);
    update();
    view_.drawView();
}

void CompareActions::revertSelection()
{
    const std::optional<MapSet> set = state_.currentMapSet();
    if (!compare_.active() || !set) {
        status_.appendStatusLine("Not comparing with a reference image - there is nothing to revert to");
        return;
    }
    // The selection as the edit keys see it: header coordinates count as the first map row or column.
    const CellBlock s = grid_.savedSelection();
    std::vector<std::uint32_t> addresses;
    for (int row = s.top; row <= s.bottom; ++row)
        for (int column = s.left; column <= s.right; ++column)
            addresses.push_back(cellAddress(*set, std::clamp(row - 1, 0, 15), std::clamp(column - 1, 0, 15)));
    const std::string label = "revert of " + std::to_string(addresses.size()) +
                              (addresses.size() == 1 ? " cell on " : " cells on ") +
                              mapName(state_.currentMap);
    const std::optional<EditStep> step = compare_.revertStep(addresses, label);
    if (!step) {
        status_.appendStatusLine("The reference image does not reach the selected cells - nothing reverted");
        return;
    }
    if (!state_.rom.apply(*step))
        status_.appendStatusLine(refusedStepLine(*step));
}

void CompareActions::update()
{
    if (stop_)
        stop_->setEnabled(compare_.active());
    if (revert_)
        revert_->setEnabled(compare_.active());
}

} // namespace vantrell
