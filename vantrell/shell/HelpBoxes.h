// The two boxes of the Help menu: the keyboard help (also on F1) and the About box.
#pragma once

#include "vantrell/editor/Dialogs.h"

#include <QString>

#include <string>

namespace vantrell {

// The keyboard help text, ten lines each ending in CR LF.
std::string keyboardHelpText();
void showKeyboardHelp(Dialogs& dialogs);
// Names the program, its version and the program folder it uses.
void showAbout(Dialogs& dialogs, const QString& programFolder);

} // namespace vantrell
