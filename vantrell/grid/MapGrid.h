// The map grid "editgrid": the current map of the ROM document as a 17 by 17 table (header row and
// column, 16 by 16 cells shaded by value), a view over MapGridModel, edited from the keyboard. Every key
// released on the grid rewrites every selected cell, row by row and left to right, as one edit step;
// "[" and "]" step the load axis byte of the selection's left column. The document's listeners send
// the steps to the boards; the model shows them.
//
// "Timer1" is the grid's own one-shot selection tracker: the first tick comes 2000 ms after start-up,
// later ones 20 ms after the grid starts it again (a refresh, an edit step, a key). A tick saves the
// grid selection and asks for a 3D redraw when it changed.
#pragma once

#include "vantrell/grid/core/GridEditing.h"
#include "vantrell/grid/MapGridModel.h"
#include "vantrell/keyboard/EditKeyReader.h"

#include "common/StatusSink.h"

#include <QTableView>
#include <QTimer>

#include <functional>

namespace vantrell {

// What a released key does on the grid.
enum class GridKeyAction { Plus, Minus, Flag, AxisDown, AxisUp, Other };
struct GridKey
{
    GridKeyAction action = GridKeyAction::Other;
    bool shift = false; // Shift held, and no other modifier
};
// The plus and minus keys of the user's layout (whatever Shift makes of them, see EditKeyReader), F,
// "[" and "]"; the keypad's + and - and the digit keys are "any other key".
GridKey gridKeyOf(const EditKeyPress& press);

class MapGrid : public QTableView
{
    Q_OBJECT
  public:
    static constexpr int kTwipsPerPixel = 15;

    // The grid uses the state, sink and key reader for its whole lifetime; it does not own them.
    MapGrid(EditorState& state, common::StatusSink& status, EditKeyReader& keys, QWidget* parent = nullptr);

    MapGridModel* gridModel() const { return model_; }
    // The mode the cells are shown in; asked at every refresh and every edit.
    void setModeSource(std::function<DisplayMode()> source) { model_->setModeSource(std::move(source)); }

    // Geometry: 17 rows and columns, header row and column, "revs / tp scale" in the corner.
    void layOut();
    // Shows every cell again from the document for the current map (after a page switch or a change of
    // display mode), restores the saved selection and starts Timer1. Never writes the ROM buffer.
    void refresh();

    const QTimer& timer1() const { return timer1_; }
    const CellBlock& savedSelection() const { return saved_; }
    // Selects grid rows top..bottom and columns left..right (grid coordinates) and saves that selection.
    void selectCells(const CellBlock& selection);

    // One edit key, as a released key does it (the key handler calls this).
    void editKey(const GridKey& key);

    // Timer1's tick: saves the grid's selection and asks for a 3D redraw when it changed since the last
    // tick; later ticks come 20 ms after the timer is started again.
    void selectionTick();

    // The cell at grid (row, column) as shown now, and the selection in grid coordinates.
    QString cellText(int row, int column) const { return model_->text(row, column); }
    QColor cellBackground(int row, int column) const { return model_->background(row, column); }
    int rowCount() const { return model_->rowCount(); }
    int columnCount() const { return model_->columnCount(); }
    int currentRow() const { return currentIndex().row(); }
    int currentColumn() const { return currentIndex().column(); }
    void setCurrentCell(int row, int column);
    // Adds rows top..bottom, columns left..right to the selection, as a mouse drag does.
    void selectRange(const CellBlock& block);
    // The selected blocks (one after any selection the grid allows).
    QList<CellBlock> selectedBlocks() const;

  signals:
    // A refresh finished (the window refreshes the map caption).
    void filled();
    // The saved selection changed or the view should be redrawn after an edit.
    void selectionSaved(const vantrell::CellBlock& selection);
    void viewNeedsDrawing();

  protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Typed text never moves the cursor to a matching cell: every key but the cursor keys leaves the
    // selection where the user put it (and rewrites it on release).
    void keyboardSearch(const QString&) override {}

  private:
    void onSelectionChanged();
    void onStepShown(const EditStep& step);
    CellBlock gridSelection() const;
    void restoreSelection();
    void refuse();

    EditorState& state_;
    common::StatusSink& status_;
    EditKeyReader& keys_;
    MapGridModel* model_;
    QTimer timer1_;
    CellBlock saved_;
    CellBlock previous_;
    bool restoring_ = false;
};

} // namespace vantrell
