#include "vantrell/shell/KeyPreview.h"

#include "vantrell/shell/HelpBoxes.h"
#include "vantrell/tools/MapView3D.h"
#include "vantrell/tools/core/MapOperations.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace vantrell {

KeyPreview::KeyPreview(QWidget& window, EditorState& state, Dialogs& dialogs, common::StatusSink& status,
                       MapView3D& view)
    : QObject(&window), window_(window), state_(state), dialogs_(dialogs), status_(status), view_(view)
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::ShortcutOverride) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == &window_) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Every press (an auto-repeated one too) is first offered to its receiver as a shortcut
        // override. A press that a control ignores then travels up to its parents as the same event,
        // and a control may hand it on to a child: the window acts on it once, at its first receiver.
        if (type == QEvent::ShortcutOverride) {
            armed_ = true;
            key_ = key->key();
            return false;
        }
        if (armed_ && key->key() == key_) {
            armed_ = false;
            windowKey(static_cast<QWidget*>(watched), key);
        }
    }
    return QObject::eventFilter(watched, event);
}

void KeyPreview::windowKey(QWidget* receiver, QKeyEvent* event)
{
    const int key = event->key();
    const bool typing = qobject_cast<QLineEdit*>(receiver) != nullptr;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (key == Qt::Key_F1) {
        showKeyboardHelp(dialogs_);
        view_.drawView();
        return;
    }
    // Letters typed into a text box (a port name) are text, not commands.
    if (typing || mods != Qt::NoModifier)
        return;
    switch (key) {
    case Qt::Key_S:
        saveMapFile(state_, dialogs_, status_, state_.currentMap);
        view_.drawView();
        break;
    case Qt::Key_L:
        loadMapFile(state_, dialogs_, status_, state_.currentMap);
        view_.drawView();
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        view_.viewKey(key, event->modifiers()); // redraws the view itself
        break;
    default:
        break;
    }
}

} // namespace vantrell
