// The map grid page "frame_grid": the six display options "Option1" .. "Option6" above the map grid.
// The options are shown on the fuel pages only ("raw data" on every page); the page remembers the
// chosen conversion across page switches (DisplayOptions).
#pragma once

#include "vantrell/grid/core/DisplayOptions.h"
#include "vantrell/grid/MapGrid.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QRadioButton;

namespace vantrell {

class MapGridPage : public QWidget
{
    Q_OBJECT
  public:
    MapGridPage(EditorState& state, common::StatusSink& status, EditKeyReader& keys,
                QWidget* parent = nullptr);

    MapGrid* grid() const { return grid_; }
    const DisplayOptions& options() const { return options_; }
    DisplayMode mode() const { return options_.mode(); }

    // "data" selected and the other five cleared, and the grid shown in it (start-up, every engine
    // definition load).
    void selectData();
    // A page switch begins: Option1..Option5 hidden, the chosen conversion remembered.
    void leavePage();
    // A fuel page is shown: the remembered mode comes back and Option1..Option5 are shown. The window
    // refreshes the grid once the page switch has set the current map.
    void enterFuelPage();

  private:
    void showOptions();
    void optionClicked(int id);

    MapGrid* grid_;
    QButtonGroup* group_;
    std::array<QRadioButton*, 6> buttons_{};
    DisplayOptions options_;
};

} // namespace vantrell
