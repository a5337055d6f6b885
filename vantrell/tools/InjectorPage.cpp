#include "vantrell/tools/InjectorPage.h"

#include "vantrell/tools/PageFont.h"
#include "vantrell/tools/core/InjectorTools.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrell {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, bool wrap = false)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setWordWrap(wrap);
    return l;
}

} // namespace

InjectorPage::InjectorPage(EditorState& state, common::StatusSink& status, Dialogs& dialogs, QWidget* parent)
    : QGroupBox(QStringLiteral("Injector Settings and information"), parent), state_(state), status_(status),
      dialogs_(dialogs)
{
    setObjectName(QStringLiteral("frame_injector"));
    state_.rom.addListener(this);
    usePageFont(this, 10); // the page is small and its texts are long
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);

    auto* upgrade = new QGroupBox(QStringLiteral("Upgrade Injectors"), this);
    upgrade->setObjectName(QStringLiteral("frame_inj_upgrade"));
    auto* up = new QVBoxLayout(upgrade);
    up->setContentsMargins(6, 2, 6, 4);
    up->setSpacing(1);
    factory_ = label(upgrade, "inj_factory", QString());
    up->addWidget(factory_);
    up->addWidget(
        label(upgrade, "inj_ins1", QStringLiteral("Enter new injector cc size and click button to"), true));
    up->addWidget(label(upgrade, "inj_ins2",
                        QStringLiteral("recalculate all relevant tables and settings to suit"), true));
    auto* row = new QHBoxLayout;
    newSize_ = new QLineEdit(upgrade);
    newSize_->setObjectName(QStringLiteral("inj_new_injectors"));
    newSize_->setMaximumWidth(70);
    auto* recalc = new QPushButton(QStringLiteral("Recalculate for this size"), upgrade);
    recalc->setObjectName(QStringLiteral("button_recalculate_injectors"));
    row->addWidget(newSize_);
    row->addWidget(recalc);
    up->addLayout(row);
    auto* warning =
        label(upgrade, "inj_warning1",
              QStringLiteral("DO NOT DO THIS WHILE CAR IS RUNNING If you need to resize a second time - "
                             "make a custom engine config file for the new settings and use that to "
                             "rescale from..."),
              true);
    warning->setStyleSheet(QStringLiteral("color: #c00000;"));
    up->addWidget(warning);
    layout->addWidget(upgrade);

    auto* misc = new QGroupBox(QStringLiteral("Injector Settings"), this);
    misc->setObjectName(QStringLiteral("frame_misc_data"));
    auto* grid = new QGridLayout(misc);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    kEntry_ = new QLineEdit(misc);
    kEntry_->setObjectName(QStringLiteral("k_data_entry"));
    kEntry_->setMaximumWidth(60);
    nullEntry_ = new QLineEdit(misc);
    nullEntry_->setObjectName(QStringLiteral("null_data_entry"));
    nullEntry_->setMaximumWidth(60);
    auto* kLabel =
        label(misc, "k_data_label", QStringLiteral("Injector Trim Value ('K' value) - in Hex"), true);
    auto* nullLabel = label(misc, "null_data_label",
                            QStringLiteral("Injector Response Value ('null time') - in Hex"), true);
    kLabel->setBuddy(kEntry_);
    nullLabel->setBuddy(nullEntry_);
    grid->addWidget(kLabel, 0, 0);
    grid->addWidget(kEntry_, 0, 1);
    grid->addWidget(nullLabel, 1, 0);
    grid->addWidget(nullEntry_, 1, 1);
    auto* trimButton = new QPushButton(QStringLiteral("update to emulator"), misc);
    trimButton->setObjectName(QStringLiteral("button_inj_trim"));
    grid->addWidget(trimButton, 2, 0, 1, 2, Qt::AlignRight);
    layout->addWidget(misc);

    connect(recalc, &QPushButton::clicked, this, &InjectorPage::recalculate);
    connect(trimButton, &QPushButton::clicked, this, &InjectorPage::trim);
    hide();
}

InjectorPage::~InjectorPage()
{
    state_.rom.removeListener(this);
}

void InjectorPage::stepApplied(const EditStep& step)
{
    if (step.source != EditSource::GridKeys)
        fillEntryFields();
}

void InjectorPage::openPage()
{
    setGeometry(150, 135, 305, 280);
    show();
    raise();
    refill();
}

void InjectorPage::refill()
{
    factory_->setText(QString::fromStdString(factoryCaption(state_)));
    fillEntryFields();
}

void InjectorPage::fillEntryFields()
{
    const InjectorEntryTexts texts = injectorEntryTexts(state_);
    kEntry_->setText(QString::fromStdString(texts.k));
    nullEntry_->setText(QString::fromStdString(texts.nullTime));
}

void InjectorPage::recalculate()
{
    const ResizeResult result = resizeInjectors(state_, newSize_->text().toStdString(), status_, dialogs_);
    if (result.done)
        kEntry_->setText(QString::fromStdString(result.kText));
    fillEntryFields();
}

void InjectorPage::trim()
{
    trimInjectors(state_, kEntry_->text().toStdString(), nullEntry_->text().toStdString(), status_);
    fillEntryFields();
}

} // namespace vantrell
