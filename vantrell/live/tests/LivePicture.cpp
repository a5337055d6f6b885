// Writes a picture of the editor with the live data dock (on the offscreen platform) into the folder
// given as the first argument: the main fuel map with the trace of the simulated ECU's drive cycle,
// "Follow the engine" on. The README's picture is made with it. Not a test: run by hand.
#include "vantrell/tests/EditorTestSupport.h"

#include "boardsim/EcuModel.h"
#include "boardsim/InProcessEcuPort.h"

#include <QApplication>
#include <QCheckBox>

#include <cstdlib>

int main(int argc, char** argv)
{
    using namespace std::chrono_literals;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    // Seconds of the drive cycle before the picture.
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 36;
    vantrell::testing::EditorRig rig;
    rig.start();
    // The ECU runs on the editor's own maps (as if the boards held them) and keeps TP where the demo
    // definition says.
    boardsim::EcuModel ecu(
        [&rig](std::uint32_t address) { return rig.window->parts().state.rom.at(address); });
    boardsim::EcuDefinition definition;
    std::string error;
    if (!boardsim::loadEcuDefinition(rig.folder.file("config/default"), definition, error))
        return 1;
    ecu.setDefinition(definition);
    boardsim::InProcessEcuPort ecuPort(ecu, rig.clock);
    vantrell::MainWindow& w = *rig.window;
    w.parts().live->setPort(ecuPort);
    w.resize(1460, 800);
    w.show();
    w.parts().pages->showPage(1);
    w.parts().liveDock->show();
    w.findChild<QCheckBox*>(QStringLiteral("follow_engine"))->setChecked(true);
    w.parts().live->connectEcu(QStringLiteral("ecu"));
    // The clock runs the drive cycle without waiting.
    rig.clock.waitFor(std::chrono::seconds(seconds), nullptr, {});
    QApplication::processEvents();
    w.grab().save(out + "/live-trace.png");
    w.parts().grid()->grab().save(out + "/live-trace-grid.png");
    w.parts().live->disconnectEcu();
    rig.window.reset();
    return 0;
}
