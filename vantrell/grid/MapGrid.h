// The map grid "editgrid": the current map of the ROM buffer as a 17 by 17 table (header row and
// column, 16 by 16 cells shaded by value), edited from the keyboard. Every key released on the grid
// rewrites every selected cell, row by row and left to right, into the ROM buffer and hands each byte
// to the write-through; "[" and "]" step the load axis byte of the selection's left column.
//
// "Timer1" is the one-shot selection tracker: the first tick comes 2000 ms after start-up, later ones
// 20 ms after whoever started it (a fill, an edit, a window key). A tick saves the grid selection and
// asks for a 3D redraw when it changed.
#pragma once

#include "vantrell/grid/GridEditing.h"
#include "vantrell/keyboard/EditKeyReader.h"
#include "vantrell/shell/EditorSeams.h"

#include "common/StatusSink.h"

#include <QTableWidget>
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

class MapGrid : public QTableWidget
{
    Q_OBJECT
  public:
    static constexpr int kTwipsPerPixel = 15;

    // The grid uses the state, seams and key reader for its whole lifetime; it does not own them.
    MapGrid(EditorState& state, WriteThrough& writeThrough, common::StatusSink& status, EditKeyReader& keys,
            QWidget* parent = nullptr);

    // The mode the cells are shown in; asked at every fill and every edit.
    void setModeSource(std::function<DisplayMode()> source) { modeSource_ = std::move(source); }

    // Geometry: 17 rows and columns, header row and column, "revs / tp scale" in the corner.
    void layOut();
    // Rebuilds every cell and header from the ROM buffer for the current map, then restores the saved
    // selection and starts Timer1. Never writes the ROM buffer.
    void fillGrid();

    QTimer& timer1() { return timer1_; }
    const CellBlock& savedSelection() const { return saved_; }
    // Selects grid rows top..bottom and columns left..right (grid coordinates) and saves that selection.
    void selectCells(const CellBlock& selection);

    // One edit key, as a released key does it (the key handler calls this).
    void editKey(const GridKey& key);

    // Timer1's tick: saves the grid's selection and asks for a 3D redraw when it changed since the last
    // tick; later ticks come 20 ms after the timer is started again.
    void selectionTick();

  signals:
    // A fill finished (the window refreshes the map caption, the injector fields and the 3D view).
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
    CellBlock gridSelection() const;
    void restoreSelection();
    void showCell(int row, int column, const CellLook& look);
    void refuse();

    EditorState& state_;
    WriteThrough& writeThrough_;
    common::StatusSink& status_;
    EditKeyReader& keys_;
    std::function<DisplayMode()> modeSource_;
    QTimer timer1_;
    CellBlock saved_;
    CellBlock previous_;
    bool restoring_ = false;
};

} // namespace vantrell
