// The import as a command for scripts:
//   vantrell --import-xdf FILE.xdf --image ROM.bin --out DEF.ini [--base DEF.ini] [--set KEY=VALUE]...
// --base names a definition to take the engine's facts from (injector size, cylinders, capacity...);
// --set gives a key's value by hand, as the dialog lets the user do.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace vantrell::xdf {

// True when the program's arguments ask for the import.
bool isImportXdfCommand(int argc, char* argv[]);

// The program's main for the import: reads the arguments, runs the import, returns the exit code.
int importXdfMain(int argc, char* argv[]);

// Exit codes of the import.
enum ImportExit { Written = 0, BadArguments = 1, Unreadable = 2, Incomplete = 3, NotWritten = 4 };

// The import over the arguments that follow the program's name. Every key is listed on `out` with its
// source and whether it is certain or a guess; what the definition cannot hold, or holds only in part,
// goes to `err`, one line each. Nothing is written when a key the editor needs has no value.
int runImportXdf(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace vantrell::xdf
