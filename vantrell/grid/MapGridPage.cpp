#include "vantrell/grid/MapGridPage.h"

#include <QButtonGroup>
#include <QSignalBlocker>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantrell {

MapGridPage::MapGridPage(EditorState& state, common::StatusSink& status, EditKeyReader& keys, QWidget* parent)
    : QWidget(parent), grid_(new MapGrid(state, status, keys, this)), group_(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("frame_grid"));
    static const char* const captions[6] = {"data",           "injector m/s", "a/f ratio",
                                            "inj duty cycle", "est. hp",      "raw data"};
    auto* optionsRow = new QHBoxLayout;
    optionsRow->setSpacing(10);
    for (int i = 0; i < 6; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(captions[i]), this);
        button->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        group_->addButton(button, i + 1);
        optionsRow->addWidget(button);
        buttons_[static_cast<std::size_t>(i)] = button;
    }
    optionsRow->addStretch(1);
    group_->setExclusive(true);
    // The mode follows the button that became checked, however it became so: a click, the keyboard, or
    // a screen reader's toggle (which emits no click).
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            optionClicked(id);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(optionsRow);
    layout->addWidget(grid_, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);

    grid_->setModeSource([this] { return options_.mode(); });
    selectData();
}

void MapGridPage::showOptions()
{
    // Showing the options is not choosing one.
    const QSignalBlocker quiet(group_);
    for (int i = 0; i < 6; ++i)
        buttons_[static_cast<std::size_t>(i)]->setChecked(options_.selected == i + 1);
}

void MapGridPage::optionClicked(int id)
{
    options_.selected = id;
    grid_->refresh();
}

void MapGridPage::selectData()
{
    options_.selectData();
    showOptions();
    grid_->refresh();
}

void MapGridPage::leavePage()
{
    for (int i = 0; i < 5; ++i)
        buttons_[static_cast<std::size_t>(i)]->hide();
    options_.leavePage();
    showOptions();
}

void MapGridPage::enterFuelPage()
{
    options_.enterFuelPage();
    showOptions();
    for (int i = 0; i < 5; ++i)
        buttons_[static_cast<std::size_t>(i)]->show();
}

} // namespace vantrell
