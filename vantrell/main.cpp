// The editor program: one main window over the program folder beside the executable, talking to the
// emulator boards through the serial port named on its setup page.
#include "vantrell/shell/MainWindow.h"
#include "vantrell/shell/QtDialogs.h"

#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrell"));
    emulink::QtSerialPort port;
    emulink::SteadyClock clock;
    vantrell::QtDialogs dialogs;
    vantrell::MainWindow window(QCoreApplication::applicationDirPath(), dialogs, port, clock);
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
