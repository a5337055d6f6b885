#include "vantrell/shell/StatusBarLabels.h"

#include "vantrell/shell/ClickLabel.h"

#include <QLabel>
#include <QStatusBar>

namespace vantrell {

namespace {

const char kOnlineStyleInactive[] =
    "QLabel { background-color: rgb(255, 0, 0); color: white; padding: 1px 6px; }";

} // namespace

StatusBarLabels::StatusBarLabels(QStatusBar& bar) : QObject(&bar)
{
    emulator_ = new ClickLabel(QStringLiteral("Emulator : INACTIVE"), &bar);
    emulator_->setObjectName(QStringLiteral("status_emulator"));
    emulator_->setStyleSheet(QStringLiteral("QLabel { color: red; padding: 1px 6px; }"));
    engine_ = new ClickLabel(QStringLiteral("Engine : "), &bar);
    engine_->setObjectName(QStringLiteral("status_engine"));
    map_ = new QLabel(QStringLiteral("Current Map :"), &bar);
    map_->setObjectName(QStringLiteral("status_map"));
    fileName_ = new ClickLabel(QStringLiteral("Filename : "), &bar);
    fileName_->setObjectName(QStringLiteral("status_filename"));
    auto* help = new QLabel(QStringLiteral("Press F1 for help"), &bar);
    help->setObjectName(QStringLiteral("status_help"));
    for (QLabel* label : {static_cast<QLabel*>(emulator_), static_cast<QLabel*>(engine_), map_,
                          static_cast<QLabel*>(fileName_), help}) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumHeight(30);
    }
    bar.addWidget(emulator_);
    bar.addWidget(engine_, 2);
    bar.addWidget(map_, 1);
    bar.addWidget(fileName_, 2);
    bar.addWidget(help);
    bar.setSizeGripEnabled(false);

    connect(emulator_, &ClickLabel::clicked, this, &StatusBarLabels::emulatorClicked);
    connect(engine_, &ClickLabel::clicked, this, &StatusBarLabels::engineClicked);
    connect(fileName_, &ClickLabel::clicked, this, &StatusBarLabels::fileNameClicked);
}

void StatusBarLabels::setOnline(bool online)
{
    if (online) {
        // Online, the panel takes the colour of its neighbour: nothing to warn about.
        const QColor engine = engine_->palette().color(engine_->backgroundRole());
        emulator_->setStyleSheet(
            QStringLiteral("QLabel { background-color: %1; padding: 1px 6px; }").arg(engine.name()));
        emulator_->setText(QStringLiteral("Emulator : ACTIVE"));
    } else {
        emulator_->setStyleSheet(QString::fromLatin1(kOnlineStyleInactive));
        emulator_->setText(QStringLiteral("Emulator : INACTIVE"));
    }
}

void StatusBarLabels::setEngine(const QString& config)
{
    engine_->setText(QStringLiteral("Engine : ") + config);
}

void StatusBarLabels::setMap(const QString& mapName)
{
    map_->setText(QStringLiteral("Current Map :\n") + mapName);
}

void StatusBarLabels::setFileName(const QString& fileName)
{
    fileName_->setText(QStringLiteral("Filename : ") + fileName);
}

} // namespace vantrell
