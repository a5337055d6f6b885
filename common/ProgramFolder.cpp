#include "common/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace common {

namespace {

bool mayWrite(const QString& folder)
{
#ifdef Q_OS_WIN
    // Qt does not look up NTFS permissions and calls every folder writable; a folder under Program
    // Files is not, for a user without elevation. Ask by writing.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("write-probe-XXXXXX")));
    return probe.open();
#else
    return QFileInfo(folder).isWritable();
#endif
}

bool writableWithConfig(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() && QFileInfo(folder + "/config").isDir() &&
           mayWrite(folder);
}

QString installedDemo(const QString& executableFolder)
{
    const QString beside = QDir(executableFolder).absoluteFilePath(QStringLiteral("../share/tessavel/demo"));
    if (QFileInfo(beside).isDir())
        return QDir::cleanPath(beside);
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("tessavel/demo"),
                                  QStandardPaths::LocateDirectory);
}

} // namespace

int fillMissing(const QString& from, const QString& to)
{
    if (from.isEmpty() || !QFileInfo(from).isDir())
        return 0;
    int copied = 0;
    const QDir source(from);
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = QDir(to).filePath(source.relativeFilePath(file));
        if (QFileInfo::exists(target))
            continue;
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (QFile::copy(file, target)) {
            // Installed files are read-only; the user's copies are theirs to change.
            QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
            ++copied;
        }
    }
    return copied;
}

ProgramFolder chooseProgramFolder(const QString& given, const QString& executableFolder,
                                  const QString& perUser, const QString& demo)
{
    ProgramFolder folder;
    if (!given.isEmpty()) {
        folder.path = QDir(given).absolutePath();
        folder.source = ProgramFolder::Source::Given;
    } else if (writableWithConfig(executableFolder)) {
        folder.path = QDir(executableFolder).absolutePath();
        folder.source = ProgramFolder::Source::BesideProgram;
        return folder;
    } else {
        folder.path = perUser;
        folder.source = ProgramFolder::Source::PerUser;
    }
    if (folder.path.isEmpty() || !QDir().mkpath(folder.path)) {
        folder.problem = QStringLiteral("the folder %1 cannot be made").arg(folder.path);
        return folder;
    }
    folder.filled = fillMissing(demo, folder.path);
    if (!QFileInfo(folder.path + "/config").isDir())
        folder.problem = demo.isEmpty() ? QStringLiteral("no demo files are installed to fill it from")
                                        : QStringLiteral("the demo files could not be copied into it");
    return folder;
}

QString givenProgramFolder(const QStringList& arguments)
{
    const QString option = QStringLiteral("--program-folder");
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == option && i + 1 < arguments.size())
            return arguments[i + 1];
        if (arguments[i].startsWith(option + "="))
            return arguments[i].mid(option.size() + 1);
    }
    return {};
}

ProgramFolder programFolderFor(const QStringList& arguments)
{
    const QString executableFolder = QCoreApplication::applicationDirPath();
    return chooseProgramFolder(givenProgramFolder(arguments), executableFolder,
                               QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                               installedDemo(executableFolder));
}

} // namespace common
