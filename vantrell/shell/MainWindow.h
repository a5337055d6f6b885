// The editor's main window: start-up, the eight pages behind the tab strip "options", the menus, the
// status bar and the status window, ROM image load and save, the engine definition choice, the upload
// and the closing of the program. It owns the editor state and the link, and hands them to the pages.
//
// Everything runs on the user-interface thread. The link's waits hold user input back until they end,
// so no handler here starts an exchange while another one waits.
#pragma once

#include "vantrell/compare/ReferenceCompare.h"
#include "vantrell/grid/MapGridPage.h"
#include "vantrell/history/EditHistory.h"
#include "vantrell/verify/BoardCheck.h"
#include "vantrell/keyboard/EditKeyReader.h"
#include "vantrell/link/EmulatorLink.h"
#include "vantrell/link/EmulatorSetupPage.h"
#include "vantrell/link/LinkWriteThrough.h"
#include "vantrell/link/StepWriteThrough.h"
#include "vantrell/shell/EditorSeams.h"
#include "vantrell/shell/EditorState.h"
#include "vantrell/shell/StatusWindow.h"

#include "emulink/Clock.h"
#include "emulink/PortListBox.h"
#include "emulink/SerialPort.h"

#include <QMainWindow>

#include <memory>
#include <string>

class QAction;
class QLabel;
class QTabBar;

namespace vantrell {

class AirflowMeterPage;
class ClickLabel;
class CompareActions;
class EditActions;
class VerifyActions;
class InjectorPage;
class LimiterPage;
class MapView3D;

class MainWindow : public QMainWindow
{
    Q_OBJECT
  public:
    // `programFolder` holds config/, data/, maps/ and afm/ (the executable's folder in the program;
    // a temporary folder in tests). The dialogs, port and clock are used for the window's lifetime.
    // The constructor runs the whole start-up and ends on the emulator setup page.
    // `ports` lists the serial ports for the setup page's port list (the system's when empty; tests give
    // a fixed list so that no port of the machine they run on shows).
    MainWindow(const QString& programFolder, Dialogs& dialogs, emulink::SerialPort& port,
               emulink::Clock& clock, emulink::PortListBox::Lister ports = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    static constexpr int kTabCount = 8;

    // The tab switch (1..8): hides every page, refills the grid, reports the tab and shows its page.
    void showPage(int tab);
    int currentTab() const;

    // The file operations behind the menus and the status bar labels.
    void loadRomImage();
    void saveRomImage();
    void chooseEngineDefinition();
    void uploadRom();
    void toggleEmulator();
    void exitProgram();
    void showKeyboardHelp();
    void showAbout();

    // The keyboard help text, ten lines each ending in CR LF.
    static std::string keyboardHelpText();

    EditorState& state() { return state_; }
    EmulatorLink& link() { return *link_; }
    StatusWindow* statusWindow() const { return status_; }
    MapGridPage* gridPage() const { return gridPage_; }
    MapGrid* grid() const { return gridPage_->grid(); }
    MapView3D* mapView() const { return map3d_; }
    EmulatorSetupPage* setupPage() const { return setupPage_; }
    EditHistory& history() { return history_; }
    ReferenceCompare& comparison() { return compare_; }
    const BoardKnowledge& boardKnowledge() const { return knowledge_; }
    // How the grid and the limit cells find the plus and minus keys of the user's keyboard.
    EditKeyReader& editKeys() { return editKeys_; }
    const std::string& romFileName() const { return romFileName_; }
    bool firstLoad() const { return firstLoad_; }
    // True once the exit menu item or an answered close request has let the window close.
    bool closingAccepted() const { return closingAccepted_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenus();
    void buildStatusBar();
    void buildPages();
    void startUp();
    bool loadDefinition(const std::string& path);
    void hideAllPages();
    void showGridPage();
    void drawView();
    void refillToolPages();
    void shuntMap();
    void takeLinkOffline();
    void onlineChanged(bool online);
    bool windowKey(QWidget* receiver, QKeyEvent* event);
    void announceRomLayout();
    Dialogs::Answer askSaveBeforeClosing();

    QString programFolder_;
    Dialogs& dialogs_;
    EditorState state_;
    // The document's first listeners: the history and the comparison hear of a step before the boards
    // and the views do.
    EditHistory history_{state_.rom};
    ReferenceCompare compare_{state_.rom};
    EditKeyReader editKeys_;
    StatusWindow* status_ = nullptr;
    std::unique_ptr<EmulatorLink> link_;
    std::unique_ptr<LinkWriteThrough> writeThrough_;
    std::unique_ptr<StepWriteThrough> stepWriteThrough_;
    // What the boards hold: after the write-through among the document's listeners.
    BoardKnowledge knowledge_;
    std::unique_ptr<BoardCheck> boardCheck_;

    QTabBar* options_ = nullptr;
    MapGridPage* gridPage_ = nullptr;
    QWidget* view3dColumn_ = nullptr;
    QWidget* toolArea_ = nullptr; // holds the pages that place themselves
    QLabel* label3d_ = nullptr;
    MapView3D* map3d_ = nullptr;
    AirflowMeterPage* afmPage_ = nullptr;
    InjectorPage* injectorPage_ = nullptr;
    LimiterPage* limiterPage_ = nullptr;
    EmulatorSetupPage* setupPage_ = nullptr;
    EditActions* editActions_ = nullptr;
    CompareActions* compareActions_ = nullptr;
    VerifyActions* verifyActions_ = nullptr;

    ClickLabel* statusEmulator_ = nullptr;
    ClickLabel* statusEngine_ = nullptr;
    QLabel* statusMap_ = nullptr;
    ClickLabel* statusFilename_ = nullptr;
    QLabel* statusHelp_ = nullptr;

    std::string romFileName_;
    bool firstLoad_ = true;
    bool exitRequested_ = false;
    bool closingAccepted_ = false;
    bool switchingTab_ = false;
    // Key preview: every key press is announced to its first receiver by a shortcut-override event; the
    // press that follows is the window's once, however far it then travels up to the parents.
    bool previewArmed_ = false;
    int previewKey_ = 0;
};

} // namespace vantrell
