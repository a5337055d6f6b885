#include "vantrell/shell/EditorMenus.h"

#include "vantrell/shell/CompareActions.h"
#include "vantrell/shell/DefinitionChoice.h"
#include "vantrell/shell/EditActions.h"
#include "vantrell/shell/HelpBoxes.h"
#include "vantrell/shell/LinkActions.h"
#include "vantrell/shell/RomImageActions.h"
#include "vantrell/shell/StatusWindow.h"
#include "vantrell/shell/VerifyActions.h"
#include "vantrell/tools/core/MapOperations.h"

#include <QMainWindow>
#include <QMenuBar>

namespace vantrell {

void buildEditorMenus(QMainWindow& window, EditorParts& parts, Dialogs& dialogs, const QString& programFolder,
                      std::function<void()> exit)
{
    auto add = [&window](QMenu* menu, const char* caption, const char* name, auto slot) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        QObject::connect(action, &QAction::triggered, &window, slot);
        return action;
    };
    StatusWindow& status = *parts.status;

    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File Operations"));
    add(file, "Load &Engine Config File", "menu_file_config", [&parts] { parts.definitions->choose(); });
    add(file, "&Load Rom Image", "menu_file_load", [&parts] { parts.romImages->loadRomImage(); });
    add(file, "&Save Rom Image", "menu_file_save", [&parts] { parts.romImages->saveRomImage(); });
    add(file, "Import &XDF Definition...", "menu_file_import_xdf",
        [&window, &parts, programFolder] { parts.definitions->importXdf(window, programFolder); });
    file->addSeparator();
    parts.compareActions = new CompareActions(parts.state, parts.compare, dialogs, status, *parts.grid(),
                                              *parts.mapView(), &window);
    parts.compareActions->addFileActions(file);
    file->addSeparator();
    add(file, "E&xit", "menu_file_exit", std::move(exit));

    parts.editActions = new EditActions(parts.history, status, &window);
    parts.editActions->addTo(window.menuBar()->addMenu(QStringLiteral("&Edit")));

    QMenu* emulator = window.menuBar()->addMenu(QStringLiteral("&Emulator Functions"));
    add(emulator, "&Toggle Emulator(s) online/offline", "menu_emulator_toggle",
        [&parts] { parts.linkActions->toggleOnline(); });
    add(emulator, "&Upload to Emulator(s)", "menu_emulator_upload",
        [&parts] { parts.linkActions->upload(); });
    parts.verifyActions =
        new VerifyActions(*parts.boardCheck, parts.link(), dialogs, status, *status.progressBar(),
                          *parts.grid(), *parts.setupPage(), &window);
    parts.verifyActions->addTo(emulator);
    emulator->addSeparator();
    QAction* live = parts.liveDock->toggleViewAction();
    live->setText(QStringLiteral("&Live Data from the ECU"));
    live->setObjectName(QStringLiteral("menu_live_data"));
    emulator->addAction(live);

    QMenu* map = window.menuBar()->addMenu(QStringLiteral("&Map Functions"));
    add(map, "&Shunt current map left and create new collum", "menu_map_shunt",
        [&parts, &dialogs, &status] { shuntMap(parts.state, dialogs, status); });
    parts.compareActions->addMapActions(map);

    QMenu* help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, "&Help", "menu_help_help", [&dialogs] { showKeyboardHelp(dialogs); });
    add(help, "&About", "menu_help_about", [&dialogs, programFolder] { showAbout(dialogs, programFolder); });
}

} // namespace vantrell
