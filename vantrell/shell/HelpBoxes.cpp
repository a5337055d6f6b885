#include "vantrell/shell/HelpBoxes.h"

#include <QDir>

namespace vantrell {

std::string keyboardHelpText()
{
    static const char* const lines[] = {
        "Cursor Keys move, Shift or mouse will highlight areas",
        "+ or - on the top row of the keyboard change the selected cells by 1",
        "if the shift key is used when changing cell values they change by 16",
        "[ or ] will move the boost scale up or down in the collum your editing",
        "F will toggle the O2 feedback bitflag in the active cells",
        "S will save the current fuel or ignition map AND the rev/load scales for it",
        "L will load a previously saved fuel or ignition map AND the rev/load scales for it",
        "Green/Red areas are shaded from low(green) to hi(red)",
        "Blue areas have knock or feedback enabled",
        "Dark blue areas are negative values - light blue are positive",
    };
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void showKeyboardHelp(Dialogs& dialogs)
{
    dialogs.showMessage("Keyboard help", keyboardHelpText());
}

void showAbout(Dialogs& dialogs, const QString& programFolder)
{
    dialogs.showMessage(
        "About Vantrell",
        "Vantrell - the ROM editor of the Tessavel suite\r\nReal-time editing software for Nissan "
        "ECUs\r\nVersion " TESSAVEL_VERSION_TEXT "\r\nProgram folder: " +
            QDir::toNativeSeparators(programFolder).toStdString());
}

} // namespace vantrell
