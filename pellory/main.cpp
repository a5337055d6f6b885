// Pellory, the emulator setup tool: one window over serial port 1 (or the port its box names).
#include "EmulatorSetupWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    pellory::EmulatorSetupWindow window;
    window.show();
    return app.exec();
}
