#include "EmulatorSetupWindow.h"

#include "emulink/Frames.h"
#include "emulink/PortNames.h"
#include "emulink/SteadyClock.h"
#include "emulink/SystemSerialPort.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <utility>

namespace pellory {

namespace {

QPushButton* makeButton(QWidget* parent, const char* objectName, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    return button;
}

} // namespace

EmulatorSetupWindow::EmulatorSetupWindow(emulink::SerialPort* port, emulink::Clock* clock,
                                         QString programFolder, emulink::PortListBox::Lister ports,
                                         QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("form_emulator_setup"));
    setWindowTitle(QStringLiteral("Pellory - emulator setup"));

    if (port == nullptr) {
        ownPort_ = emulink::makeSystemSerialPort();
        port = ownPort_.get();
    }
    if (clock == nullptr) {
        ownClock_ = std::make_unique<emulink::SteadyClock>();
        clock = ownClock_.get();
    }
    if (programFolder.isEmpty())
        programFolder = QCoreApplication::applicationDirPath();

    auto* portLabel = new QLabel(QStringLiteral("comport to use"), this);
    comportNumber_ = new QLineEdit(QStringLiteral("1"), this);
    comportNumber_->setObjectName(QStringLiteral("comport_number"));
    comportNumber_->setMaximumWidth(140);
    portLabel->setBuddy(comportNumber_);
    portList_ = new emulink::PortListBox(this);
    if (ports)
        portList_->setLister(std::move(ports));

    textStatusWindow_ = new QPlainTextEdit(this);
    textStatusWindow_->setObjectName(QStringLiteral("text_status_window"));
    textStatusWindow_->setReadOnly(true);
    textStatusWindow_->setMinimumSize(300, 200);

    buttonGetEmulatorId_ =
        makeButton(this, "button_get_emulator_id", QStringLiteral("ID all connected emulators"));
    buttonSetEmulatorIdLow_ = makeButton(this, "button_set_emulator_id_low",
                                         QStringLiteral("Set singe connected Emulator id to LOW"));
    buttonSetEmulatorIdHi_ = makeButton(this, "button_set_emulator_id_hi",
                                        QStringLiteral("Set single connected Emulator id to HIGH"));
    buttonSetEmulatorPullhard_ =
        makeButton(this, "button_set_emulator_pullhard", QStringLiteral("Set Emulator Pull Hard"));
    buttonSetEmulatorPullsoft_ =
        makeButton(this, "button_set_emulator_pullsoft", QStringLiteral("Set Emulator Pull Soft"));

    auto* portRow = new QHBoxLayout;
    portRow->addWidget(portLabel);
    portRow->addWidget(comportNumber_);
    portRow->addWidget(portList_);
    portRow->addStretch(1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {buttonGetEmulatorId_, buttonSetEmulatorIdLow_, buttonSetEmulatorIdHi_,
                                buttonSetEmulatorPullhard_, buttonSetEmulatorPullsoft_})
        buttons->addWidget(button);
    buttons->addStretch(1);

    auto* body = new QHBoxLayout;
    body->addWidget(textStatusWindow_, 1);
    body->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(portRow);
    layout->addLayout(body, 1);

    controller_ = std::make_unique<EmulatorSetupController>(
        *port, *clock, static_cast<StatusTextView&>(*this), programFolder);
    // The suggestion looks at the ports the list shows.
    controller_->setPortLister([this] { return portList_->ports(); });

    connect(buttonGetEmulatorId_, &QPushButton::clicked, this,
            [this] { runAction([this] { controller_->searchEmulators(); }); });
    connect(buttonSetEmulatorIdLow_, &QPushButton::clicked, this,
            [this] { runAction([this] { controller_->setEmulatorId(1); }); });
    connect(buttonSetEmulatorIdHi_, &QPushButton::clicked, this,
            [this] { runAction([this] { controller_->setEmulatorId(2); }); });
    connect(buttonSetEmulatorPullhard_, &QPushButton::clicked, this,
            [this] { runAction([this] { controller_->setPull(emulink::kPullHard); }); });
    connect(buttonSetEmulatorPullsoft_, &QPushButton::clicked, this,
            [this] { runAction([this] { controller_->setPull(emulink::kPullSoft); }); });
    connect(comportNumber_, &QLineEdit::editingFinished, this, &EmulatorSetupWindow::portBoxEditingFinished);
    connect(comportNumber_, &QLineEdit::textChanged, portList_, &emulink::PortListBox::showDevice);
    connect(portList_, &emulink::PortListBox::portChosen, this, [this](const QString& device) {
        comportNumber_->setText(device);
        portBoxEditingFinished();
    });

    // Start: the port that the box names, powered.
    openedBoxText_ = comportNumber_->text();
    controller_->openPort(openedBoxText_);
}

EmulatorSetupWindow::~EmulatorSetupWindow()
{
    controller_->closePort();
}

void EmulatorSetupWindow::closeEvent(QCloseEvent* event)
{
    if (controller_->isBusy()) {
        controller_->cancel();
        closeWhenIdle_ = true;
        event->ignore();
        return;
    }
    controller_->closePort();
    event->accept();
}

void EmulatorSetupWindow::showStatusText(const QString& text)
{
    // The text area shows each CR LF as one line break.
    textStatusWindow_->setPlainText(text);
    textStatusWindow_->verticalScrollBar()->setValue(textStatusWindow_->verticalScrollBar()->maximum());
}

void EmulatorSetupWindow::runAction(const std::function<void()>& action)
{
    if (controller_->isBusy())
        return;
    setControlsEnabled(false);
    action();
    // Clicks and keys held back during the waits now reach the still disabled controls and are dropped:
    // what looked disabled to the user does not act later.
    QCoreApplication::processEvents();
    setControlsEnabled(true);
    if (closeWhenIdle_) {
        closeWhenIdle_ = false;
        close();
    }
}

void EmulatorSetupWindow::setControlsEnabled(bool enabled)
{
    for (QWidget* control :
         {static_cast<QWidget*>(comportNumber_), static_cast<QWidget*>(portList_),
          static_cast<QWidget*>(buttonGetEmulatorId_), static_cast<QWidget*>(buttonSetEmulatorIdLow_),
          static_cast<QWidget*>(buttonSetEmulatorIdHi_), static_cast<QWidget*>(buttonSetEmulatorPullhard_),
          static_cast<QWidget*>(buttonSetEmulatorPullsoft_)})
        control->setEnabled(enabled);
}

void EmulatorSetupWindow::portBoxEditingFinished()
{
    const QString text = emulink::portBoxTextAfterEdit(comportNumber_->text());
    if (text != comportNumber_->text())
        comportNumber_->setText(text);
    // A changed port, or another try at one that would not open.
    if (text == openedBoxText_ && controller_->portIsOpen())
        return;
    openedBoxText_ = text;
    controller_->openPort(text);
}

} // namespace pellory
