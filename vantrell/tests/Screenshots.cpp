// Writes pictures of the editor's window (on the offscreen platform) into the folder given as the first
// argument: the Fuel Main page with the demo ROM image, and the emulator setup page. The README's
// picture is made with it. Not a test: run by hand.
#include "EditorTestSupport.h"

#include "vantrell/tools/MapView3D.h"

#include <QAction>
#include <QApplication>
#include <QTableWidget>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    // Shift+Up presses that bring the 3D view closer before the pictures are taken.
    const int zoomSteps = argc > 2 ? std::atoi(argv[2]) : 0;
    vantrell::testing::EditorRig rig;
    rig.start();
    vantrell::MainWindow& w = *rig.window;
    w.resize(1000, 760);
    w.show();
    w.parts().setupPage()->grab().save(out + "/vantrell-setup-page.png");
    w.grab().save(out + "/vantrell-setup.png");
    w.parts().pages->showPage(1);
    w.parts().grid()->selectCells({5, 4, 8, 7});
    for (int i = 0; i < zoomSteps; ++i)
        w.parts().mapView()->viewKey(Qt::Key_Up, Qt::ShiftModifier);
    QApplication::processEvents();
    w.grab().save(out + "/vantrell-fuel.png");
    w.parts().grid()->grab().save(out + "/vantrell-grid.png");
    w.findChild<QWidget*>(QStringLiteral("Option3"))->setProperty("checked", true);
    QMetaObject::invokeMethod(w.findChild<QObject*>(QStringLiteral("Option3")), "click");
    w.parts().grid()->grab().save(out + "/vantrell-grid-afratio.png");
    QMetaObject::invokeMethod(w.findChild<QObject*>(QStringLiteral("Option4")), "click");
    w.parts().grid()->grab().save(out + "/vantrell-grid-duty.png");
    QMetaObject::invokeMethod(w.findChild<QObject*>(QStringLiteral("Option1")), "click");
    // Comparing with a "stock" image that differs in a block of the main fuel map.
    std::string stock = rig.folder.read("data/demo.bin");
    for (int r = 9; r < 12; ++r)
        for (int c = 6; c < 10; ++c)
            stock[static_cast<std::size_t>(0x7000 + 16 * r + c)] -= 3;
    rig.folder.write("data/stock.bin", stock);
    rig.dialogs.openAnswers.push_back(rig.folder.file("data/stock.bin"));
    w.findChild<QAction*>(QStringLiteral("menu_file_compare"))->trigger();
    QApplication::processEvents();
    w.grab().save(out + "/vantrell-compare.png");
    w.findChild<QAction*>(QStringLiteral("menu_file_compare_stop"))->trigger();
    w.parts().pages->showPage(2);
    w.grab().save(out + "/vantrell-ignition.png");
    w.parts().pages->showPage(5);
    w.grab().save(out + "/vantrell-airflow.png");
    w.parts().pages->showPage(6);
    w.grab().save(out + "/vantrell-injectors.png");
    w.parts().pages->showPage(7);
    w.grab().save(out + "/vantrell-misc.png");
    std::printf("pictures written to %s (grid font %d px)\n", qPrintable(out),
                w.parts().grid()->font().pixelSize());
    return 0;
}
