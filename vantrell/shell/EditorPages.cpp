#include "vantrell/shell/EditorPages.h"

#include "vantrell/shell/StatusWindow.h"
#include "vantrell/tools/AirflowMeterPage.h"
#include "vantrell/tools/InjectorPage.h"
#include "vantrell/tools/LimiterPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
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

constexpr TabInfo kTabs[EditorPages::kTabCount] = {
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

} // namespace

EditorPages::EditorPages(EditorState& state, StatusWindow& status, Dialogs& dialogs, EditKeyReader& keys,
                         EmulatorLink& link, const QString& programFolder, QMainWindow& window)
    : QWidget(&window), state_(state), status_(status), window_(window)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);

    options_ = new QTabBar(this);
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
    gridPage_ = new MapGridPage(state_, status_, keys, this);
    pages->addWidget(gridPage_, 0, Qt::AlignTop);

    view3dColumn_ = new QWidget(this);
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
    toolArea_ = new QWidget(this);
    toolArea_->setMinimumSize(620, 400);
    afmPage_ = new AirflowMeterPage(state_, status_, dialogs, toolArea_);
    injectorPage_ = new InjectorPage(state_, status_, dialogs, toolArea_);
    limiterPage_ = new LimiterPage(state_, status_, dialogs, keys, toolArea_);
    pages->addWidget(toolArea_, 1);
    setupPage_ = new EmulatorSetupPage(link, status_, programFolder, this);
    pages->addWidget(setupPage_, 1);
    column->addLayout(pages, 1);

    status_.setMinimumHeight(150);
    status_.setMaximumHeight(200);
    column->addWidget(&status_);

    connect(grid(), &MapGrid::selectionSaved, this,
            [this](const CellBlock& s) { map3d_->setSelection(s.top, s.left, s.bottom, s.right); });
    connect(grid(), &MapGrid::viewNeedsDrawing, map3d_, &MapView3D::drawView);
    connect(setupPage_, &EmulatorSetupPage::scanStarted, this, [this] {
        if (currentTab() != kSetupTab)
            showPage(kSetupTab);
    });
}

int EditorPages::currentTab() const
{
    return options_->currentIndex() + 1;
}

void EditorPages::hideAllPages()
{
    injectorPage_->hide();
    afmPage_->closePage();
    limiterPage_->hide();
    gridPage_->hide();
    view3dColumn_->hide();
    setupPage_->hide();
    toolArea_->hide();
}

void EditorPages::showStartPage()
{
    hideAllPages();
    setupPage_->show();
    gridPage_->selectData();
    showPage(kSetupTab);
    setupPage_->focusPortBox();
}

void EditorPages::showPage(int tab)
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
    status_.appendStatusLine(info.statusLine);
    if (tab <= 4) {
        state_.currentMap = kTabMaps[tab - 1];
        if (kindOf(state_.currentMap) == MapKind::Fuel)
            gridPage_->enterFuelPage();
        grid()->refresh();
        gridPage_->show();
        view3dColumn_->show();
        // The grid and the 3D view need the window at 15000 twips wide; a wider window is left alone.
        if (!window_.isMaximized() && !window_.isFullScreen() && window_.width() < 1000)
            window_.resize(1000, window_.height());
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

void EditorPages::refillToolPages()
{
    // The open page (and the others, for when they open) shows the new buffer and definition.
    afmPage_->loadMeterList();
    injectorPage_->refill();
    limiterPage_->refill();
}

} // namespace vantrell
