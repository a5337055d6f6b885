// The editor program: one main window over its program folder (see common/ProgramFolder.h; chosen with
// --program-folder DIR), talking to the emulator boards through the serial port named on its setup page.
#include "vantrell/shell/MainWindow.h"
#include "vantrell/shell/QtDialogs.h"
#include "vantrell/xdf/ImportXdfCommand.h"

#include "common/ProgramFolder.h"
#include "emulink/SystemSerialPort.h"
#include "emulink/SteadyClock.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (vantrell::xdf::isImportXdfCommand(argc, argv))
        return vantrell::xdf::importXdfMain(argc, argv); // a script's import: no window
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("tessavel"));
    QApplication::setApplicationName(QStringLiteral("vantrell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vantrell"));
    const common::ProgramFolder folder = common::programFolderFor(QApplication::arguments());
    emulink::SystemSerialPort port;
    // The ECU's diagnostic line: a second port, opened from the live data dock.
    emulink::SystemSerialPort ecuPort;
    emulink::SteadyClock clock;
    vantrell::QtDialogs dialogs;
    vantrell::MainWindow window(folder.path, dialogs, port, clock);
    if (!folder.problem.isEmpty())
        window.parts().status->appendStatusLine("Program folder " + folder.path.toStdString() +
                                                " is not usable: " + folder.problem.toStdString());
    window.parts().live->setPort(ecuPort);
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
