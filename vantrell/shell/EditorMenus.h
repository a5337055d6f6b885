// The editor's menu bar: "&File Operations", "&Edit", "&Emulator Functions", "&Map Functions" and
// "&Help", each item named for tests and handed to the part that acts on it.
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/shell/EditorParts.h"

#include <QString>

#include <functional>

class QMainWindow;

namespace vantrell {

// Fills the window's menu bar and makes the actions the menus hold (the edit, compare and verify
// actions, kept in `parts`). `exit` runs the "E&xit" item.
void buildEditorMenus(QMainWindow& window, EditorParts& parts, Dialogs& dialogs, const QString& programFolder,
                      std::function<void()> exit);

} // namespace vantrell
