// Comparing with a reference image from the window: "&Compare with Image..." and "Stop &Comparing"
// in the file menu, "&Revert Selection to Reference" in the map menu. While comparing, the grid marks
// the cells that differ (with the reference value as their tooltip) and the 3D view rings them.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/compare/ReferenceCompare.h"
#include "vantrell/editor/Dialogs.h"

#include <QObject>

class QAction;
class QMenu;

namespace vantrell {

class MapGrid;
class MapView3D;

class CompareActions : public QObject
{
    Q_OBJECT
  public:
    // Uses everything it is given for its whole lifetime; owns none of it.
    CompareActions(EditorState& state, ReferenceCompare& compare, Dialogs& dialogs,
                   common::StatusSink& status, MapGrid& grid, MapView3D& view, QObject* parent = nullptr);

    void addFileActions(QMenu* file);
    void addMapActions(QMenu* map);

    // Asks for an image and compares with it from now on. A cancelled dialog or an image that cannot
    // be read leaves the comparison as it was, with a status line.
    void chooseReference();
    void stopComparing();
    // Writes the reference's bytes into the grid's selected cells: one edit step.
    void revertSelection();

  private:
    void update();

    EditorState& state_;
    ReferenceCompare& compare_;
    Dialogs& dialogs_;
    common::StatusSink& status_;
    MapGrid& grid_;
    MapView3D& view_;
    QAction* stop_ = nullptr;
    QAction* revert_ = nullptr;
};

} // namespace vantrell
