#include "vantrell/tools/AirflowMeterPage.h"

#include "vantrell/tools/PageFont.h"
#include "vantrell/tools/MeterGraph.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantrell {

AirflowMeterPage::AirflowMeterPage(EditorState& state, common::StatusSink& status, Dialogs& dialogs,
                                   QWidget* parent)
    : QGroupBox(QStringLiteral("Airflow Meter Selector screen"), parent), state_(state), status_(status),
      dialogs_(dialogs)
{
    state_.rom.addListener(this);
    setObjectName(QStringLiteral("frame_afm"));
    usePageFont(this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);

    auto* choice = new QGroupBox(QStringLiteral("Select a new airflow meter"), this);
    choice->setObjectName(QStringLiteral("afm_choice_frame"));
    auto* list = new QVBoxLayout(choice);
    list->setSpacing(2);
    group_ = new QButtonGroup(this);
    group_->setObjectName(QStringLiteral("afm"));
    for (int i = 0; i < kMeterCount; ++i) {
        auto* b =
            new QRadioButton(QString::fromStdString(swap_.captions()[static_cast<std::size_t>(i)]), choice);
        b->setObjectName(QStringLiteral("afm_%1").arg(i));
        group_->addButton(b, i);
        list->addWidget(b);
        buttons_[static_cast<std::size_t>(i)] = b;
    }
    auto* upload = new QPushButton(QStringLiteral("Commit AFM Changes"), choice);
    upload->setObjectName(QStringLiteral("afmupload"));
    list->addSpacing(6);
    list->addWidget(upload);
    list->addStretch(1);
    layout->addWidget(choice, 0);

    graph_ = new MeterGraph(this);
    graph_->setMinimumSize(300, 240);
    layout->addWidget(graph_, 1);

    connect(group_, &QButtonGroup::idClicked, this, &AirflowMeterPage::choose);
    connect(upload, &QPushButton::clicked, this, &AirflowMeterPage::commit);
    hide();
}

void AirflowMeterPage::loadMeterList()
{
    swap_.loadMeterList(state_, status_);
    for (int i = 0; i < kMeterCount; ++i)
        buttons_[static_cast<std::size_t>(i)]->setText(
            QString::fromStdString(swap_.captions()[static_cast<std::size_t>(i)]));
    showSelection();
    drawGraph();
}

void AirflowMeterPage::openPage()
{
    setGeometry(30, 135, 570, 300);
    show();
    raise();
    graph_->show();
    swap_.fillCurveFromRom(state_);
    drawGraph();
}

void AirflowMeterPage::closePage()
{
    hide();
    graph_->hide();
    swap_.fillCurveFromRom(state_);
}

void AirflowMeterPage::choose(int index)
{
    if (swap_.chooseMeter(state_, index, status_))
        drawGraph();
    showSelection(); // a refused meter gives the selection back to the previous one
}

void AirflowMeterPage::commit()
{
    committing_ = true;
    swap_.commit(state_, status_, dialogs_);
    committing_ = false;
}

AirflowMeterPage::~AirflowMeterPage()
{
    state_.rom.removeListener(this);
}

void AirflowMeterPage::stepApplied(const EditStep&)
{
    if (committing_ || isHidden())
        return;
    swap_.fillCurveFromRom(state_);
    drawGraph();
}

void AirflowMeterPage::showSelection()
{
    // An exclusive group cannot show "none checked"; lift it while setting the buttons.
    group_->setExclusive(false);
    for (int i = 0; i < kMeterCount; ++i)
        buttons_[static_cast<std::size_t>(i)]->setChecked(swap_.selected() == i);
    group_->setExclusive(true);
}

void AirflowMeterPage::drawGraph()
{
    graph_->draw(swap_.graphCommands(state_));
}

} // namespace vantrell
