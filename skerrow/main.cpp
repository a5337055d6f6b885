// Skerrow, the ROM map scanner: one window. Its program folder (where the open dialog starts and engine
// definitions are saved) is chosen as every program's is, or given with --program-folder DIR.
#include "DefaultScannerDialogs.h"
#include "ScannerWindow.h"

#include "common/ProgramFolder.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("tessavel"));
    QApplication::setApplicationName(QStringLiteral("skerrow"));
    QApplication::setApplicationDisplayName(QStringLiteral("Skerrow"));
    const common::ProgramFolder folder = common::programFolderFor(QApplication::arguments());
    skerrow::ScannerWindow window(std::make_unique<skerrow::DefaultScannerDialogs>(folder.path));
    window.setProgramFolder(folder.path);
    window.show();
    return QApplication::exec();
}
