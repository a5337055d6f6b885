#include "vantrell/shell/MainWindow.h"

#include "vantrell/rom/RomFile.h"
#include "vantrell/shell/ClickLabel.h"
#include "vantrell/shell/CompareActions.h"
#include "vantrell/shell/EditActions.h"
#include "vantrell/shell/VerifyActions.h"
#include "vantrell/shell/ProgramPaths.h"
#include "vantrell/tools/AirflowMeterPage.h"
#include "vantrell/tools/InjectorPage.h"
#include "vantrell/tools/LimiterPage.h"
#include "vantrell/tools/MapOperations.h"
#include "vantrell/tools/MapView3D.h"

#include "common/clsIniFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

namespace vantrell {

namespace {

struct TabInfo
{
    const char* caption;
    const char* statusLine;
    const char* caption3d; // null: the 3D caption stays
};

constexpr TabInfo kTabs[MainWindow::kTabCount] = {
    {"Fuel Main", "Fuel Main Selected", "Main Fuel Map"},
    {"Ignition Main", "Ignition Main Selected", "Main Ignition Map"},
    {"Fuel Knock", "Fuel Knock Selected", "Fuel Map for knock/low octane"},
    {"Ignition Knock", "Ignition Knock Selected", "Ignition Map for knock/low octane"},
    {"Airflow Meter", "Airflow Selected", nullptr},
    {"Injectors", "Injectors Selected", nullptr},
    {"Misc", "Misc Selected", nullptr},
    {"Pellory", "Config Selected", nullptr},
};

constexpr MapKey kTabMaps[4] = {MapKey::FuelHigh, MapKey::IgnHigh, MapKey::FuelLow, MapKey::IgnLow};

const char kOnlineStyleInactive[] =
    "QLabel { background-color: rgb(255, 0, 0); color: white; padding: 1px 6px; }";

} // namespace

MainWindow::MainWindow(const QString& programFolder, Dialogs& dialogs, emulink::SerialPort& port,
                       emulink::Clock& clock, emulink::PortListBox::Lister ports, QWidget* parent)
    : QMainWindow(parent), programFolder_(programFolder), dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("Tessavel - real-time editing software for Nissan ECUs"));
    status_ = new StatusWindow(this);
    link_ = std::make_unique<EmulatorLink>(port, clock, *status_);
    writeThrough_ = std::make_unique<LinkWriteThrough>(*link_);
    // The boards hear of every edit step first, then the views follow.
    stepWriteThrough_ = std::make_unique<StepWriteThrough>(*writeThrough_);
    state_.rom.addListener(stepWriteThrough_.get());
    boardCheck_ = std::make_unique<BoardCheck>(*link_, state_.rom, knowledge_);
    connect(link_.get(), &EmulatorLink::onlineChanged, this, &MainWindow::onlineChanged);
    connect(link_.get(), &EmulatorLink::wentOffline, this, [this] { onlineChanged(false); });

    buildPages();
    if (ports)
        setupPage_->setPortLister(std::move(ports));
    buildMenus();
    buildStatusBar();
    qApp->installEventFilter(this);
    resize(1000, 760);
    startUp();
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    // The port is left as the program found it: closed.
    link_->closePort();
    // The pages listen to the document, which is a member: they go before it does.
    state_.rom.removeListener(stepWriteThrough_.get());
    delete takeCentralWidget();
}

void MainWindow::buildPages()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(6, 6, 6, 6);

    options_ = new QTabBar(central);
    options_->setObjectName(QStringLiteral("options"));
    options_->setExpanding(false);
    for (const TabInfo& tab : kTabs)
        options_->addTab(QString::fromLatin1(tab.caption));
    connect(options_, &QTabBar::currentChanged, this, [this](int index) {
        if (!switchingTab_)
            showPage(index + 1);
    });
    column->addWidget(options_);

    auto* pages = new QHBoxLayout;
    gridPage_ = new MapGridPage(state_, *status_, editKeys_, central);
    pages->addWidget(gridPage_, 0, Qt::AlignTop);

    view3dColumn_ = new QWidget(central);
    auto* view3dLayout = new QVBoxLayout(view3dColumn_);
    view3dLayout->setContentsMargins(0, 0, 0, 0);
    label3d_ = new QLabel(QString::fromLatin1(kTabs[0].caption3d), view3dColumn_);
    label3d_->setObjectName(QStringLiteral("label_showing3d"));
    label3d_->setAlignment(Qt::AlignCenter);
    QFont captionFont = label3d_->font();
    captionFont.setBold(true);
    label3d_->setFont(captionFont);
    map3d_ = new MapView3D(state_, view3dColumn_);
    map3d_->setMinimumSize(380, 300);
    view3dLayout->addWidget(label3d_);
    view3dLayout->addWidget(map3d_, 1);
    pages->addWidget(view3dColumn_, 1);

    // The airflow meter, injector and limiter pages place themselves where they belong in the window
    // when they open (their own geometry); they share one area without a layout so nothing stretches
    // them. The area's origin sits just below the tab strip, so their window positions are taken
    // relative to it.
    toolArea_ = new QWidget(central);
    toolArea_->setMinimumSize(620, 400);
    afmPage_ = new AirflowMeterPage(state_, *status_, dialogs_, toolArea_);
    injectorPage_ = new InjectorPage(state_, *status_, dialogs_, toolArea_);
    limiterPage_ = new LimiterPage(state_, *status_, dialogs_, editKeys_, toolArea_);
    pages->addWidget(toolArea_, 1);
    setupPage_ = new EmulatorSetupPage(*link_, *status_, programFolder_, central);
    pages->addWidget(setupPage_, 1);
    column->addLayout(pages, 1);

    status_->setMinimumHeight(150);
    status_->setMaximumHeight(200);
    column->addWidget(status_);
    setCentralWidget(central);

    MapGrid* grid = gridPage_->grid();
    connect(grid, &MapGrid::filled, this, [this] {
        statusMap_->setText(QStringLiteral("Current Map :\n") +
                            QString::fromLatin1(mapName(state_.currentMap)));
    });
    connect(grid, &MapGrid::selectionSaved, this,
            [this](const CellBlock& s) { map3d_->setSelection(s.top, s.left, s.bottom, s.right); });
    connect(grid, &MapGrid::viewNeedsDrawing, this, &MainWindow::drawView);
    connect(setupPage_, &EmulatorSetupPage::scanStarted, this, [this] {
        if (currentTab() != 8)
            showPage(8);
    });
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File Operations"));
    auto add = [this](QMenu* menu, const char* caption, const char* name, auto slot) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(file, "Load &Engine Config File", "menu_file_config", [this] { chooseEngineDefinition(); });
    add(file, "&Load Rom Image", "menu_file_load", [this] { loadRomImage(); });
    add(file, "&Save Rom Image", "menu_file_save", [this] { saveRomImage(); });
    file->addSeparator();
    compareActions_ =
        new CompareActions(state_, compare_, dialogs_, *status_, *gridPage_->grid(), *map3d_, this);
    compareActions_->addFileActions(file);
    file->addSeparator();
    add(file, "E&xit", "menu_file_exit", [this] { exitProgram(); });
    editActions_ = new EditActions(history_, *status_, this);
    editActions_->addTo(menuBar()->addMenu(QStringLiteral("&Edit")));
    QMenu* emulator = menuBar()->addMenu(QStringLiteral("&Emulator Functions"));
    add(emulator, "&Toggle Emulator(s) online/offline", "menu_emulator_toggle", [this] { toggleEmulator(); });
    add(emulator, "&Upload to Emulator(s)", "menu_emulator_upload", [this] { uploadRom(); });
    verifyActions_ = new VerifyActions(*boardCheck_, *link_, dialogs_, *status_, *status_->progressBar(),
                                       *gridPage_->grid(), *setupPage_, this);
    verifyActions_->addTo(emulator);
    QMenu* map = menuBar()->addMenu(QStringLiteral("&Map Functions"));
    add(map, "&Shunt current map left and create new collum", "menu_map_shunt", [this] { shuntMap(); });
    compareActions_->addMapActions(map);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, "&Help", "menu_help_help", [this] { showKeyboardHelp(); });
    add(help, "&About", "menu_help_about", [this] { showAbout(); });
}

void MainWindow::buildStatusBar()
{
    statusEmulator_ = new ClickLabel(QStringLiteral("Emulator : INACTIVE"), this);
    statusEmulator_->setObjectName(QStringLiteral("status_emulator"));
    statusEmulator_->setStyleSheet(QStringLiteral("QLabel { color: red; padding: 1px 6px; }"));
    statusEngine_ = new ClickLabel(QStringLiteral("Engine : "), this);
    statusEngine_->setObjectName(QStringLiteral("status_engine"));
    statusMap_ = new QLabel(QStringLiteral("Current Map :"), this);
    statusMap_->setObjectName(QStringLiteral("status_map"));
    statusFilename_ = new ClickLabel(QStringLiteral("Filename : "), this);
    statusFilename_->setObjectName(QStringLiteral("status_filename"));
    statusHelp_ = new QLabel(QStringLiteral("Press F1 for help"), this);
    statusHelp_->setObjectName(QStringLiteral("status_help"));
    for (QLabel* label : {static_cast<QLabel*>(statusEmulator_), static_cast<QLabel*>(statusEngine_),
                          statusMap_, static_cast<QLabel*>(statusFilename_), statusHelp_}) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumHeight(30);
    }
    statusBar()->addWidget(statusEmulator_);
    statusBar()->addWidget(statusEngine_, 2);
    statusBar()->addWidget(statusMap_, 1);
    statusBar()->addWidget(statusFilename_, 2);
    statusBar()->addWidget(statusHelp_);
    statusBar()->setSizeGripEnabled(false);

    connect(statusEmulator_, &ClickLabel::clicked, this, &MainWindow::toggleEmulator);
    connect(statusEngine_, &ClickLabel::clicked, this, [this] {
        status_->appendStatusLine("Choose engine config file to load");
        chooseEngineDefinition();
    });
    connect(statusFilename_, &ClickLabel::clicked, this, [this] {
        status_->appendStatusLine("Choose rom image to load");
        loadRomImage();
    });
}

bool MainWindow::loadDefinition(const std::string& path)
{
    if (!state_.loadDefinition(path, *status_))
        return false;
    statusEngine_->setText(QStringLiteral("Engine : ") + QString::fromStdString(state_.def.config));
    // The boards place the image at the top of their memory: the offset follows the new size.
    link_->setRomSize(static_cast<std::uint32_t>(state_.rom.size()));
    return true;
}

void MainWindow::startUp()
{
    link_->closePort();
    state_.folders = ProgramFolders::under(programFolder_.toStdString());
    status_->appendStatusLine("Program folder: " + QDir::toNativeSeparators(programFolder_).toStdString());
    map3d_->resetView();
    firstLoad_ = true;
    state_.currentMap = MapKey::FuelHigh;
    gridPage_->show();

    setupPage_->resetSettings();
    common::clsIniFile settings;
    settings.File = state_.folders.settingsFile;
    romFileName_ = resolveRememberedPath(settings.GetSetting("init", "filename"), state_.folders.program);
    statusFilename_->setText(QStringLiteral("Filename : ") + QString::fromStdString(romFileName_));
    // A refused default leaves the editor without a definition: it starts with an empty ROM buffer
    // and every map operation refuses with a status line.
    loadDefinition(state_.folders.config + "/default");
    state_.rom.clear();

    gridPage_->grid()->layOut();
    loadRomImage();
    refillToolPages();
    hideAllPages();
    setupPage_->show();
    gridPage_->selectData();
    showPage(8);
}

int MainWindow::currentTab() const
{
    return options_->currentIndex() + 1;
}

void MainWindow::hideAllPages()
{
    injectorPage_->hide();
    afmPage_->closePage();
    limiterPage_->hide();
    gridPage_->hide();
    view3dColumn_->hide();
    setupPage_->hide();
    toolArea_->hide();
}

void MainWindow::showGridPage()
{
    gridPage_->show();
    view3dColumn_->show();
    // The grid and the 3D view need the window at 15000 twips wide; a wider window is left alone.
    if (!isMaximized() && !isFullScreen() && width() < 1000)
        resize(1000, height());
}

void MainWindow::showPage(int tab)
{
    if (tab < 1 || tab > kTabCount)
        return;
    if (options_->currentIndex() != tab - 1) {
        switchingTab_ = true;
        options_->setCurrentIndex(tab - 1);
        switchingTab_ = false;
    }
    hideAllPages();
    gridPage_->leavePage();

    const TabInfo& info = kTabs[tab - 1];
    status_->appendStatusLine(info.statusLine);
    if (tab <= 4) {
        state_.currentMap = kTabMaps[tab - 1];
        if (kindOf(state_.currentMap) == MapKind::Fuel)
            gridPage_->enterFuelPage();
        gridPage_->grid()->refresh();
        showGridPage();
        label3d_->setText(QString::fromLatin1(info.caption3d));
        return;
    }
    if (tab >= 5 && tab <= 7)
        toolArea_->show();
    // The pages keep their own size and left edge; in this window the option row that stood above
    // them is part of the grid page, so they sit just below the tab strip instead of lower down.
    auto place = [](QWidget* page) { page->move(page->x(), 8); };
    switch (tab) {
    case 5:
        afmPage_->openPage();
        place(afmPage_);
        break;
    case 6:
        injectorPage_->openPage();
        place(injectorPage_);
        break;
    case 7:
        limiterPage_->openPage();
        place(limiterPage_);
        break;
    default:
        setupPage_->show();
        setupPage_->openPage();
        break;
    }
}

void MainWindow::drawView()
{
    map3d_->drawView();
}

void MainWindow::refillToolPages()
{
    // The open page (and the others, for when they open) shows the new buffer and definition.
    afmPage_->loadMeterList();
    injectorPage_->refill();
    limiterPage_->refill();
}

void MainWindow::shuntMap()
{
    vantrell::shuntMap(state_, dialogs_, *status_);
}

void MainWindow::announceRomLayout()
{
    const int layout = setupPage_->settings().emulator_rom;
    QProgressBar* progress = status_->progressBar();
    switch (romLayoutProgress(layout)) {
    case AnnouncementProgress::Untouched:
        break;
    case AnnouncementProgress::Reset:
        progress->repaint();
        progress->setValue(0);
        break;
    case AnnouncementProgress::Sweep:
        progress->repaint();
        progress->setRange(0, 32768);
        for (int i = 0; i < 32768; i += 256)
            progress->setValue(i);
        progress->setValue(32767);
        progress->setValue(0);
        break;
    }
    const std::string text = romLayoutAnnouncement(layout);
    if (!text.empty())
        status_->appendStatusLine(text);
}

void MainWindow::loadRomImage()
{
    if (!setupPage_->settings().romLoadAllowed()) {
        status_->appendStatusLine(kConfigureFirst);
        return;
    }
    std::string path;
    if (!firstLoad_) {
        romFileName_.clear();
        path =
            dialogs_.fncGetFileNametoOpen("Open Rom Image", "Rom Images|*.bin", "*.bin", state_.folders.data);
        romFileName_ = path;
        if (path.empty()) {
            status_->appendStatusLine("Load Canceled");
            return;
        }
    } else {
        path = romFileName_;
    }
    if (!fileExists(path)) {
        firstLoad_ = false;
        return;
    }
    if (!state_.definitionUsable || state_.rom.size() == 0) {
        status_->appendStatusLine("No usable engine config loaded - the rom image " + fileNameOf(path) +
                                  " cannot be loaded");
        firstLoad_ = false;
        return;
    }
    const RomRead read = readRomImage(path, state_.rom);
    if (!read.ok) {
        status_->appendStatusLine("Rom image " + fileNameOf(path) + " not loaded: " + read.error);
        firstLoad_ = false;
        return;
    }
    if (read.shortFile)
        status_->appendStatusLine("Rom image " + fileNameOf(path) +
                                  " is shorter than the rom size: " + std::to_string(read.bytesRead) +
                                  " of " + std::to_string(state_.rom.size()) +
                                  " bytes read, the rest filled with zeros");
    announceRomLayout();
    common::clsIniFile settings;
    settings.File = state_.folders.settingsFile;
    settings.SaveSetting("init", "filename", path);
    romFileName_ = fileNameOf(path);
    if (link_->isOnline())
        status_->appendStatusLine("Dont forget to upload the rom to the emulator if you havnt already");
    statusFilename_->setText(QStringLiteral("Filename : ") + QString::fromStdString(romFileName_));
    firstLoad_ = false;
    refillToolPages();
}

void MainWindow::saveRomImage()
{
    romFileName_.clear();
    const std::string path =
        dialogs_.fncGetFileNametoSave("Rom Images|*.bin", "*.bin", "Save Rom Image", state_.folders.data);
    romFileName_ = path;
    if (path.empty()) {
        status_->appendStatusLine("Save Canceled");
        return;
    }
    if (state_.rom.size() == 0) {
        status_->appendStatusLine("No usable engine config loaded - there is no rom image to save");
        return;
    }
    std::string error;
    if (!writeRomImage(path, state_.rom.buffer(), error)) {
        status_->appendStatusLine("Rom not saved to " + path + ": " + error);
        return;
    }
    status_->setText("Rom Saved");
    common::clsIniFile settings;
    settings.File = state_.folders.settingsFile;
    settings.SaveSetting("init", "filename", path);
    statusFilename_->setText(QStringLiteral("Filename : ") + QString::fromStdString(path));
}

void MainWindow::chooseEngineDefinition()
{
    const std::string path = dialogs_.fncGetFileNametoOpen("Open Engine Config File", "Config Files|*.ini",
                                                           "*.ini", state_.folders.config);
    if (path.empty()) {
        status_->appendStatusLine("Config Canceled");
        return;
    }
    // A refused file is reported by the load and not remembered; the previous definition stays.
    if (!loadDefinition(path))
        return;
    common::clsIniFile settings;
    settings.File = state_.folders.settingsFile;
    settings.SaveSetting("init", "engine", fileNameOf(path));
    gridPage_->selectData();
    refillToolPages();
}

void MainWindow::uploadRom()
{
    if (!link_->isOnline()) {
        status_->appendStatusLine(link_messages::kUploadOffline);
        return;
    }
    QProgressBar* progress = status_->progressBar();
    const emulink::UploadResult result = link_->upload(state_.rom.bytes(), [progress](int chunk, int count) {
        progress->setRange(0, std::max(count - 1, 1));
        progress->setValue(chunk);
    });
    progress->setValue(0);
    if (result.complete)
        boardCheck_->uploaded();
    if (result.chunkCount > 0)
        dialogs_.beep();
}

void MainWindow::toggleEmulator()
{
    setupPage_->toggleOnline();
}

void MainWindow::onlineChanged(bool online)
{
    if (online) {
        const QColor engine = statusEngine_->palette().color(statusEngine_->backgroundRole());
        statusEmulator_->setStyleSheet(
            QStringLiteral("QLabel { background-color: %1; padding: 1px 6px; }").arg(engine.name()));
        statusEmulator_->setText(QStringLiteral("Emulator : ACTIVE"));
    } else {
        statusEmulator_->setStyleSheet(QString::fromLatin1(kOnlineStyleInactive));
        statusEmulator_->setText(QStringLiteral("Emulator : INACTIVE"));
    }
}

void MainWindow::takeLinkOffline()
{
    if (!link_->isPortOpen())
        return;
    link_->goOffline();
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
    takeLinkOffline();
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
    takeLinkOffline();
    exitRequested_ = true;
    // The window closes without a second question; the program ends with its last window.
    close();
}

std::string MainWindow::keyboardHelpText()
{
    static const char* const lines[] = {
        "Cursor Keys move, Shift or mouse will highlight areas",
        "+ or - on the top row of the keyboard change the selected cells by 1",
        "if the shift key is used when changing cell values they change by 16",
        "[ or ] will move the boost scale up or down in the collum your editing",
        "F will toggle the O2 feedback bitflag in the active cells",
        "S will save the current fuel or ignition map AND the rev/load scales for it",
        "L will load a previously saved fuel or ignition map AND the rev/load scales for it",
        "Green/Red areas are shaded from low(green) to hi(red)",
        "Blue areas have knock or feedback enabled",
        "Dark blue areas are negative values - light blue are positive",
    };
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void MainWindow::showKeyboardHelp()
{
    dialogs_.showMessage("Keyboard help", keyboardHelpText());
}

void MainWindow::showAbout()
{
    dialogs_.showMessage(
        "About Vantrell",
        "Vantrell - the ROM editor of the Tessavel suite\r\nReal-time editing software for Nissan "
        "ECUs\r\nVersion " TESSAVEL_VERSION_TEXT "\r\nProgram folder: " +
            QDir::toNativeSeparators(programFolder_).toStdString());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Key preview: the window sees every key pressed in it before the focused control does.
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::ShortcutOverride) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Every press (an auto-repeated one too) is first offered to its receiver as a shortcut
        // override. A press that a control ignores then travels up to its parents as the same event,
        // and a control may hand it on to a child: the window acts on it once, at its first receiver.
        if (type == QEvent::ShortcutOverride) {
            previewArmed_ = true;
            previewKey_ = key->key();
            return false;
        }
        if (!previewArmed_ || key->key() != previewKey_)
            return false;
        previewArmed_ = false;
        return windowKey(static_cast<QWidget*>(watched), key);
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::windowKey(QWidget* receiver, QKeyEvent* event)
{
    const int key = event->key();
    const bool typing = qobject_cast<QLineEdit*>(receiver) != nullptr;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    bool act = false;
    if (key == Qt::Key_F1) {
        act = true;
    } else if (!typing && mods == Qt::NoModifier &&
               (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down ||
                key == Qt::Key_S || key == Qt::Key_L)) {
        // Letters typed into a text box (a port name) are text, not commands.
        act = true;
    }
    if (!act)
        return false;
    if (key == Qt::Key_F1) {
        showKeyboardHelp();
    } else if (key == Qt::Key_S) {
        saveMapFile(state_, dialogs_, *status_, state_.currentMap);
    } else if (key == Qt::Key_L) {
        loadMapFile(state_, dialogs_, *status_, state_.currentMap);
    } else {
        map3d_->viewKey(key, event->modifiers()); // redraws the view itself
    }
    if (key == Qt::Key_F1 || key == Qt::Key_S || key == Qt::Key_L)
        drawView();
    // The key goes on to the focused control (the grid moves its cursor, or rewrites its selection on
    // release).
    return false;
}

} // namespace vantrell
