// Skerrow, the ROM map scanner: one window, no command line, no settings.
#include "ScannerWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    skerrow::ScannerWindow window;
    window.show();
    return QApplication::exec();
}
