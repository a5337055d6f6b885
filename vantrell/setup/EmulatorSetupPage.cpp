#include "vantrell/setup/EmulatorSetupPage.h"

#include "common/clsIniFile.h"

#include "vantrell/link/EmulatorLink.h"

#include "emulink/PortList.h"
#include "emulink/PortListBox.h"
#include "emulink/PortNames.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vantrell {

namespace {

QRadioButton* addOption(QButtonGroup* group, QLayout* layout, QWidget* parent, const char* name,
                        const char* caption, int id)
{
    auto* button = new QRadioButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    group->addButton(button, id);
    layout->addWidget(button);
    return button;
}

void clearGroup(QButtonGroup* group)
{
    const QSignalBlocker quiet(group);
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

template <typename Act> void onChecked(QButtonGroup* group, Act act)
{
    QObject::connect(group, &QButtonGroup::idToggled, group, [act](int id, bool checked) {
        if (checked)
            act(id);
    });
}

std::string settingsFile(const QString& programFolder)
{
    return programFolder.toStdString() + "/config/emulator.ini";
}

bool readCheckSetting(const std::string& file)
{
    common::clsIniFile ini;
    ini.File = file;
    return ini.GetSetting("emulator", "checkonline") != "0";
}

} // namespace

EmulatorSetupPage::EmulatorSetupPage(EmulatorLink& link, common::StatusSink& status, QString programFolder,
                                     QWidget* parent)
    : QWidget(parent), link_(link), status_(status), programFolder_(std::move(programFolder)),
      portBox_(new QLineEdit(QStringLiteral("1"), this)), portList_(new emulink::PortListBox(this)),
      scanButton_(new QPushButton(QStringLiteral("Scan for Emulators"), this)),
      scanbar_(new QProgressBar(this)), found_(new QLineEdit(QStringLiteral("0"), this)),
      layoutGroup_(new QButtonGroup(this)), bitsGroup_(new QButtonGroup(this)),
      pullGroup_(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("frame_pellory"));

    // Port and scan.
    auto* portFrame = new QGroupBox(QStringLiteral("Emulator Port"), this);
    portBox_->setObjectName(QStringLiteral("TextComport"));
    portBox_->setMaximumWidth(160);
    portBox_->setToolTip(
        QStringLiteral("A port number (1, 2, ...) or a port name such as COM7 or /dev/ttyUSB0"));
    scanButton_->setObjectName(QStringLiteral("button_scan"));
    scanbar_->setObjectName(QStringLiteral("scanbar"));
    scanbar_->setRange(0, 10);
    scanbar_->setValue(0);
    scanbar_->setTextVisible(false);
    found_->setObjectName(QStringLiteral("TextEmulatorsFound"));
    found_->setReadOnly(true);
    found_->setMaximumWidth(50);
    found_->setAlignment(Qt::AlignCenter);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(portBox_);
    portRow->addWidget(portList_);
    portRow->addStretch(1);
    auto* portLabel = new QLabel(QStringLiteral("comport to use"), portFrame);
    portLabel->setBuddy(portBox_);
    auto* portForm = new QFormLayout(portFrame);
    portForm->addRow(portLabel, portRow);
    portForm->addRow(scanButton_, scanbar_);
    portForm->addRow(new QLabel(QStringLiteral("Emulators Found"), portFrame), found_);

    auto* layoutBox = new QGroupBox(QStringLiteral("Rom Layout"), this);
    auto* layoutColumn = new QVBoxLayout(layoutBox);
    addOption(layoutGroup_, layoutColumn, layoutBox, "OptionRomStraight", "Straight Rom", 1);
    addOption(layoutGroup_, layoutColumn, layoutBox, "OptionRomOddEven", "Odd/Even Rom", 2);
    addOption(layoutGroup_, layoutColumn, layoutBox, "OptionRomOddOdd", "Odd/Odd Rom", 3);
    addOption(layoutGroup_, layoutColumn, layoutBox, "OptionRomEvenEven", "Even/Even Rom", 4);

    auto* typeBox = new QGroupBox(QStringLiteral("Rom Type"), this);
    auto* typeColumn = new QVBoxLayout(typeBox);
    option8_ = addOption(bitsGroup_, typeColumn, typeBox, "Option8bit", "8 Bit", 8);
    option16_ = addOption(bitsGroup_, typeColumn, typeBox, "Option16bit", "16 Bit", 16);
    typeColumn->addStretch(1);

    auto* pullBox = new QGroupBox(QStringLiteral("Emulator Pulldown Resistor Config"), this);
    auto* pullColumn = new QVBoxLayout(pullBox);
    addOption(pullGroup_, pullColumn, pullBox, "OptionPullHigh", "Select Pull - High", 2);
    addOption(pullGroup_, pullColumn, pullBox, "OptionPullLow", "Select Pull - Low", 1);
    pullColumn->addStretch(1);

    // Remembered in the settings file: a tuner who swaps boards often leaves it on.
    checkContents_ = new QCheckBox(QStringLiteral("Check emulator contents when going online"), this);
    checkContents_->setObjectName(QStringLiteral("check_contents_online"));
    checkContents_->setChecked(readCheckSetting(settingsFile(programFolder_)));
    connect(checkContents_, &QCheckBox::toggled, this, [this](bool on) {
        common::clsIniFile ini;
        ini.File = settingsFile(programFolder_);
        ini.SaveSetting("emulator", "checkonline", on ? "1" : "0");
    });

    auto* grid = new QGridLayout(this);
    grid->addWidget(portFrame, 0, 0, 1, 2);
    grid->addWidget(layoutBox, 1, 0, 2, 1);
    grid->addWidget(typeBox, 1, 1);
    grid->addWidget(pullBox, 2, 1);
    grid->addWidget(checkContents_, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(2, 1);

    connect(portBox_, &QLineEdit::editingFinished, this, [this] {
        portBoxEdited();
        suggestAdapter(false);
    });
    connect(portBox_, &QLineEdit::textChanged, portList_, &emulink::PortListBox::showDevice);
    connect(portList_, &emulink::PortListBox::portChosen, this, [this](const QString& device) {
        portBox_->setText(device);
        portBoxEdited();
    });
    connect(scanButton_, &QPushButton::clicked, this, &EmulatorSetupPage::scan);
    // Each option follows the button that became checked, however it became so: a click, the keyboard,
    // or a screen reader's toggle (which emits no click).
    onChecked(layoutGroup_, [this](int id) { settings_.emulator_rom = static_cast<std::int16_t>(id); });
    onChecked(bitsGroup_, [this](int id) { bitsClicked(id); });
    onChecked(pullGroup_, [this](int id) { settings_.emulator_resistor = static_cast<std::int16_t>(id); });
    connect(&link_, &EmulatorLink::scanProgress, scanbar_, &QProgressBar::setValue);
    connect(&link_, &EmulatorLink::foundCountChanged, this,
            [this](int count) { found_->setText(QString::number(count)); });
    connect(&link_, &EmulatorLink::scanStarted, this, &EmulatorSetupPage::scanStarted);
}

void EmulatorSetupPage::resetSettings()
{
    settings_.reset();
    clearGroup(layoutGroup_);
    clearGroup(bitsGroup_);
    clearGroup(pullGroup_);
}

void EmulatorSetupPage::openPage()
{
    found_->setText(QString::number(link_.foundCount()));
    suggestAdapter(false);
}

void EmulatorSetupPage::focusPortBox()
{
    portBox_->setFocus(Qt::OtherFocusReason);
}

void EmulatorSetupPage::suggestAdapter(bool again)
{
    const std::optional<emulink::PortDescription> adapter = emulink::suggestedAdapter(
        portBox_->text(), portName(), portList_->ports(), &emulink::deviceFileExists);
    if (!adapter) {
        lastSuggestion_.clear();
        return;
    }
    const QString key = portBox_->text().trimmed() + u'\n' + adapter->device;
    if (!again && key == lastSuggestion_)
        return;
    lastSuggestion_ = key;
    status_.appendStatusLine(emulink::adapterSuggestionLine(*adapter).toStdString());
}

QString EmulatorSetupPage::portName() const
{
    return emulink::resolvePortName(portBox_->text(), programFolder_);
}

void EmulatorSetupPage::portBoxEdited()
{
    const QString text = emulink::portBoxTextAfterEdit(portBox_->text());
    if (text != portBox_->text())
        portBox_->setText(text);
}

void EmulatorSetupPage::scan()
{
    portBoxEdited();
    link_.setPortName(portName());
    scanButton_->setEnabled(false);
    const int count = link_.scan();
    scanButton_->setEnabled(true);
    if (count < 0)
        suggestAdapter(true);
    // A scan that finds nothing leaves the board count as it was.
    if (count > 0)
        settings_.emulator_count = static_cast<std::int16_t>(count);
    openPage();
}

void EmulatorSetupPage::toggleOnline()
{
    if (!link_.isOnline() && !settings_.readyForOnline()) {
        status_.appendStatusLine(kSettingsIncomplete);
        return;
    }
    portBoxEdited();
    link_.setPortName(portName());
    const bool wasOnline = link_.isOnline();
    link_.toggleOnline();
    if (!wasOnline && link_.isOnline())
        emit wentOnline();
    else if (!wasOnline)
        suggestAdapter(true);
}

void EmulatorSetupPage::setPortLister(emulink::PortListBox::Lister lister)
{
    portList_->setLister(std::move(lister));
}

bool EmulatorSetupPage::checkContentsOnline() const
{
    return checkContents_->isChecked();
}

void EmulatorSetupPage::bitsClicked(int requested)
{
    settings_.chooseBits(requested);
    showBits();
}

void EmulatorSetupPage::showBits()
{
    if (settings_.emulator_bits == 0) {
        clearGroup(bitsGroup_);
        return;
    }
    const QSignalBlocker quiet(bitsGroup_);
    (settings_.emulator_bits == 16 ? option16_ : option8_)->setChecked(true);
}

} // namespace vantrell
