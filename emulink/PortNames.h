// What the port number box of the editor (and the setup tool's fixed port 1) turns into: the name of a
// port to open.
#pragma once

#include <QString>

namespace emulink {

// True when the text (blanks around it allowed) is a number: digits with an optional sign, decimal
// point and exponent.
bool isPortNumberText(const QString& text);

// The port name for the box text.
// - A number n (rounded to the nearest whole number, halves to even): the key n of section "ports" in
//   programFolder/config/ports.ini when present (e.g. "1=/dev/ttyUSB0"); otherwise "COMn" on Windows
//   and, elsewhere, the n-th serial port the system lists, sorted by name. Empty when there is no such
//   port (the open then fails).
// - Any other text: used as it stands (blanks around it removed), e.g. "COM7" or "/dev/pts/5".
QString resolvePortName(const QString& boxText, const QString& programFolder);

// The port box rule, applied when the box loses focus: a number is kept, a text that looks like a port
// name ("COM7", "/dev/...", "\\.\COM12") is kept, anything else becomes "1".
QString portBoxTextAfterEdit(const QString& text);

} // namespace emulink
