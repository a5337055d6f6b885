// The window's key preview: the window sees every key pressed in it before the focused control does.
// F1 shows the keyboard help; away from text boxes, S and L save and load the current map's file and
// the arrow keys turn the 3D view. Every key then goes on to the focused control (the grid moves its
// cursor, or rewrites its selection on release).
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include "common/StatusSink.h"

#include <QObject>

class QKeyEvent;
class QWidget;

namespace vantrell {

class MapView3D;

class KeyPreview : public QObject
{
    Q_OBJECT
  public:
    // Watches every key of the application that is pressed in `window`; uses everything it is given for
    // its whole lifetime and owns none of it.
    KeyPreview(QWidget& window, EditorState& state, Dialogs& dialogs, common::StatusSink& status,
               MapView3D& view);
    ~KeyPreview() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void windowKey(QWidget* receiver, QKeyEvent* event);

    QWidget& window_;
    EditorState& state_;
    Dialogs& dialogs_;
    common::StatusSink& status_;
    MapView3D& view_;
    // Every key press is announced to its first receiver by a shortcut-override event; the press that
    // follows is the window's once, however far it then travels up to the parents.
    bool armed_ = false;
    int key_ = 0;
};

} // namespace vantrell
