// The editor's pages behind the tab strip "options": the four map pages (the grid and the 3D view),
// the airflow meter, injector and limiter pages, and the emulator setup page, with the status window
// below them. Switching tabs hides every page, reports the tab and shows its page.
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"
#include "vantrell/grid/MapGridPage.h"
#include "vantrell/keyboard/EditKeyReader.h"
#include "vantrell/setup/EmulatorSetupPage.h"
#include "vantrell/tools/MapView3D.h"

#include <QWidget>

class QLabel;
class QMainWindow;
class QTabBar;

namespace vantrell {

class AirflowMeterPage;
class EmulatorLink;
class InjectorPage;
class LimiterPage;
class StatusWindow;

class EditorPages : public QWidget
{
    Q_OBJECT
  public:
    static constexpr int kTabCount = 8;
    static constexpr int kSetupTab = 8;

    // Uses everything it is given for its whole lifetime; owns none of it. `status` is placed below the
    // pages. `window` is resized when a map page needs more width.
    EditorPages(EditorState& state, StatusWindow& status, Dialogs& dialogs, EditKeyReader& keys,
                EmulatorLink& link, const QString& programFolder, QMainWindow& window);

    // The tab switch (1..kTabCount): hides every page, refills the grid, reports the tab and shows its
    // page. Other numbers do nothing.
    void showPage(int tab);
    int currentTab() const;
    // Every page hidden but the setup page, the grid on its data display: the window as it opens.
    void showStartPage();
    // The tool pages show the ROM buffer and the definition as they are now.
    void refillToolPages();

    MapGridPage* gridPage() const { return gridPage_; }
    MapGrid* grid() const { return gridPage_->grid(); }
    MapView3D* mapView() const { return map3d_; }
    EmulatorSetupPage* setupPage() const { return setupPage_; }

  private:
    void hideAllPages();

    EditorState& state_;
    StatusWindow& status_;
    QMainWindow& window_;
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
    bool switchingTab_ = false;
};

} // namespace vantrell
