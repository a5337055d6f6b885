// Pellory, the emulator setup tool: one window over serial port 1 (or the port its box names). Its
// program folder (config/ports.ini names the ports) is chosen as every program's is, or given with
// --program-folder DIR.
#include "EmulatorSetupWindow.h"

#include "common/ProgramFolder.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("tessavel"));
    QApplication::setApplicationName(QStringLiteral("pellory"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pellory"));
    const common::ProgramFolder folder = common::programFolderFor(QApplication::arguments());
    pellory::EmulatorSetupWindow window(nullptr, nullptr, folder.path);
    window.show();
    return app.exec();
}
