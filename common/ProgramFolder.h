// Where a program keeps its files (config/, data/, maps/, afm/): its program folder.
//
// Chosen in this order: the folder given with `--program-folder DIR`; the executable's own folder
// when it holds config/ and may be written (the build folder, a portable copy); otherwise the
// program's folder in the user's application data (QStandardPaths::AppDataLocation: on Windows
// %APPDATA%\tessavel\<program>, since an installed program's folder under Program Files is read-only),
// which is made on first start. A given or per-user folder is filled with the installed demo files it lacks;
// a file that is already there is never overwritten.
#pragma once

#include <QString>
#include <QStringList>

namespace common {

struct ProgramFolder
{
    enum class Source { Given, BesideProgram, PerUser };
    QString path;
    Source source = Source::BesideProgram;
    int filled = 0;  // demo files copied in
    QString problem; // why the folder could not be made or filled; empty when all went well
};

// The choice itself, with every place spelled out (for tests). `demo` may be empty: nothing to fill.
ProgramFolder chooseProgramFolder(const QString& given, const QString& executableFolder,
                                  const QString& perUser, const QString& demo);

// For the running program: `--program-folder DIR` (or `--program-folder=DIR`) from `arguments`, the
// executable's folder, the per-user application data folder of the application's name, and the
// installed demo (share/tessavel/demo beside the executable's bin/ folder, or in the system's data
// folders).
ProgramFolder programFolderFor(const QStringList& arguments);

// The text after `--program-folder`; empty when not given.
QString givenProgramFolder(const QStringList& arguments);

// Copies every file below `from` that `to` lacks, making folders as needed. Returns how many were
// copied; existing files are left as they are.
int fillMissing(const QString& from, const QString& to);

} // namespace common
