// The "&Edit" menu: undo and redo of the ROM document's edit steps. Captions name what they act on
// ("&Undo edit of 12 cells on Main Fuel Map"); each is disabled when there is nothing to act on. An
// undo goes through the document like any edit, so the boards and the views follow it.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/history/EditHistory.h"

#include <QObject>

class QAction;
class QMenu;

namespace vantrell {

class EditActions : public QObject
{
    Q_OBJECT
  public:
    // Uses the history and the sink for its whole lifetime; owns neither.
    EditActions(EditHistory& history, common::StatusSink& status, QObject* parent = nullptr);

    // Adds "&Undo" (Ctrl+Z) and "&Redo" (Ctrl+Y, Ctrl+Shift+Z) to the menu.
    void addTo(QMenu* menu);
    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }

    void undo();
    void redo();

  private:
    void update();

    EditHistory& history_;
    common::StatusSink& status_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

} // namespace vantrell
