#include "vantrell/shell/MainWindow.h"

#include "vantrell/shell/DefinitionChoice.h"
#include "vantrell/shell/EditorMenus.h"
#include "vantrell/shell/KeyPreview.h"
#include "vantrell/shell/LinkActions.h"
#include "vantrell/shell/RomImageActions.h"
#include "vantrell/shell/StatusBarLabels.h"
#include "vantrell/shell/StatusWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QStatusBar>

namespace vantrell {

MainWindow::MainWindow(const QString& programFolder, Dialogs& dialogs, emulink::SerialPort& port,
                       emulink::Clock& clock, emulink::PortListBox::Lister ports, QWidget* parent)
    : QMainWindow(parent), programFolder_(programFolder), dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("Tessavel - real-time editing software for Nissan ECUs"));
    EditorParts& p = parts_;
    p.status = new StatusWindow(this);
    p.emulatorLink = std::make_unique<EmulatorLink>(port, clock, *p.status);
    // The boards hear of every edit step first, then the views follow.
    p.stepWriteThrough = std::make_unique<StepWriteThrough>(*p.emulatorLink);
    p.state.rom.addListener(p.stepWriteThrough.get());
    p.boardCheck = std::make_unique<BoardCheck>(*p.emulatorLink, p.state.rom, p.knowledge);

    p.pages = new EditorPages(p.state, *p.status, dialogs_, p.editKeys, p.link(), programFolder_, *this);
    setCentralWidget(p.pages);
    p.live = new LiveSession(p.state, *p.status, clock, *p.grid(), *p.mapView(), this);
    p.liveDock = new LiveDataDock(*p.live, dialogs_, *p.status, programFolder_, this);
    if (ports) {
        p.liveDock->setPortLister(ports);
        p.setupPage()->setPortLister(std::move(ports));
    }
    p.bar = new StatusBarLabels(*statusBar());
    p.romImages = new RomImageActions(p.state, dialogs_, *p.status, *p.bar, *p.setupPage(), p.link(), this);
    p.definitions = new DefinitionChoice(p.state, dialogs_, *p.status, *p.bar, p.link(), this);
    p.linkActions = new LinkActions(p.state, p.link(), *p.setupPage(), *p.boardCheck, dialogs_, *p.status,
                                    *p.status->progressBar(), this);
    buildEditorMenus(*this, p, dialogs_, programFolder_, [this] { exitProgram(); });
    new KeyPreview(*this, p.state, dialogs_, *p.status, *p.mapView());
    wireParts();
    resize(1000, 760);
    startUp();
}

MainWindow::~MainWindow()
{
    // The port is left as the program found it: closed.
    parts_.link().closePort();
    // The pages listen to the document, which is a member: they go before it does.
    parts_.state.rom.removeListener(parts_.stepWriteThrough.get());
    delete takeCentralWidget();
}

void MainWindow::wireParts()
{
    EditorParts& p = parts_;
    connect(p.emulatorLink.get(), &EmulatorLink::onlineChanged, p.bar, &StatusBarLabels::setOnline);
    connect(p.emulatorLink.get(), &EmulatorLink::wentOffline, p.bar, [&p] { p.bar->setOnline(false); });
    connect(p.grid(), &MapGrid::filled, p.bar,
            [&p] { p.bar->setMap(QString::fromLatin1(mapName(p.state.currentMap))); });
    connect(p.bar, &StatusBarLabels::emulatorClicked, p.linkActions, &LinkActions::toggleOnline);
    connect(p.bar, &StatusBarLabels::engineClicked, this, [&p] {
        p.status->appendStatusLine("Choose engine config file to load");
        p.definitions->choose();
    });
    connect(p.bar, &StatusBarLabels::fileNameClicked, this, [&p] {
        p.status->appendStatusLine("Choose rom image to load");
        p.romImages->loadRomImage();
    });
    connect(p.romImages, &RomImageActions::loaded, p.pages, &EditorPages::refillToolPages);
    connect(p.definitions, &DefinitionChoice::chosen, this, [&p] {
        p.gridPage()->selectData();
        p.pages->refillToolPages();
    });
    // The live data dock opens from the menu.
    addDockWidget(Qt::RightDockWidgetArea, p.liveDock);
    p.liveDock->hide();
}

void MainWindow::startUp()
{
    EditorParts& p = parts_;
    p.link().closePort();
    p.state.folders = ProgramFolders::under(programFolder_.toStdString());
    p.status->appendStatusLine("Program folder: " + QDir::toNativeSeparators(programFolder_).toStdString());
    p.mapView()->resetView();
    p.state.currentMap = MapKey::FuelHigh;
    p.gridPage()->show();

    p.setupPage()->resetSettings();
    p.romImages->rememberLastImage();
    // A refused default leaves the editor without a definition: it starts with an empty ROM buffer
    // and every map operation refuses with a status line.
    p.definitions->load(p.state.folders.config + "/default");
    p.state.rom.clear();

    p.grid()->layOut();
    p.romImages->loadRomImage();
    p.pages->refillToolPages();
    p.pages->showStartPage();
}

Dialogs::Answer MainWindow::askSaveBeforeClosing()
{
    const Dialogs::Answer answer = dialogs_.askYesNoCancel("Save Dialog", "Save Data before closing?");
    if (answer == Dialogs::Answer::Yes)
        dialogs_.showMessage("Confirm", "Go back and save it then :)");
    return answer;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (exitRequested_) {
        closingAccepted_ = true;
        event->accept();
        return;
    }
    const Dialogs::Answer answer = askSaveBeforeClosing();
    // Whatever the answer, the boards are left alone from here on.
    parts_.linkActions->takeOffline();
    if (answer == Dialogs::Answer::No) {
        closingAccepted_ = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::exitProgram()
{
    if (askSaveBeforeClosing() != Dialogs::Answer::No)
        return;
    parts_.linkActions->takeOffline();
    exitRequested_ = true;
    // The window closes without a second question; the program ends with its last window.
    close();
}

} // namespace vantrell
