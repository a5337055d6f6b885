#include "vantrell/live/LiveDataDock.h"

#include "vantrell/live/LiveGraph.h"

#include "emulink/PortNames.h"

#include <QCheckBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace vantrell {

namespace {

QString minutes(std::int64_t ms)
{
    const std::int64_t tenths = std::max<std::int64_t>(0, ms) / 100;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg((tenths / 10) % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

QPushButton* button(const char* caption, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

LiveDataDock::LiveDataDock(LiveSession& session, Dialogs& dialogs, common::StatusSink& status,
                           QString programFolder, QWidget* parent)
    : QDockWidget(QStringLiteral("Live data"), parent), session_(session), dialogs_(dialogs), status_(status),
      programFolder_(std::move(programFolder))
{
    setObjectName(QStringLiteral("live_data"));
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);

    // The ECU's port and the link.
    auto* ecu = new QGroupBox(QStringLiteral("ECU diagnostic port"), body);
    portBox_ = new QLineEdit(QStringLiteral("2"), ecu);
    portBox_->setObjectName(QStringLiteral("ecu_port"));
    portBox_->setMaximumWidth(140);
    portBox_->setToolTip(
        QStringLiteral("A port number (1, 2, ...) or a port name such as COM3 or /dev/ttyUSB1"));
    portList_ = new emulink::PortListBox(ecu);
    portList_->setObjectName(QStringLiteral("ecu_port_list"));
    connectButton_ = button("&Connect", "ecu_connect", ecu);
    stateLabel_ = new QLabel(QStringLiteral("Disconnected"), ecu);
    stateLabel_->setObjectName(QStringLiteral("ecu_state"));
    lostLabel_ = new QLabel(ecu);
    lostLabel_->setObjectName(QStringLiteral("ecu_lost"));
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(portBox_);
    portRow->addWidget(portList_, 1);
    auto* stateRow = new QHBoxLayout;
    stateRow->addWidget(connectButton_);
    stateRow->addWidget(stateLabel_, 1);
    stateRow->addWidget(lostLabel_);
    auto* ecuForm = new QFormLayout(ecu);
    auto* portLabel = new QLabel(QStringLiteral("ECU port"), ecu);
    portLabel->setBuddy(portBox_);
    ecuForm->addRow(portLabel, portRow);
    ecuForm->addRow(stateRow);
    column->addWidget(ecu);

    // The figures and the trace.
    auto* values = new QGroupBox(QStringLiteral("Live values"), body);
    auto* valuesColumn = new QVBoxLayout(values);
    figures_ = new QGridLayout;
    valuesColumn->addLayout(figures_);
    follow_ = new QCheckBox(QStringLiteral("&Follow the engine"), values);
    follow_->setObjectName(QStringLiteral("follow_engine"));
    follow_->setToolTip(QStringLiteral("Select the cell the engine runs in, so + and - change it"));
    tracedLabel_ = new QLabel(values);
    tracedLabel_->setObjectName(QStringLiteral("traced_cell"));
    auto* traceRow = new QHBoxLayout;
    traceRow->addWidget(follow_);
    traceRow->addWidget(tracedLabel_, 1);
    valuesColumn->addLayout(traceRow);
    column->addWidget(values);

    // Fault codes.
    auto* faults = new QGroupBox(QStringLiteral("Fault codes"), body);
    faultList_ = new QListWidget(faults);
    faultList_->setObjectName(QStringLiteral("fault_list"));
    faultList_->setMaximumHeight(70);
    auto* readFaults = button("&Read", "faults_read", faults);
    auto* clearFaults = button("C&lear", "faults_clear", faults);
    auto* faultButtons = new QVBoxLayout;
    faultButtons->addWidget(readFaults);
    faultButtons->addWidget(clearFaults);
    auto* faultRow = new QHBoxLayout(faults);
    faultRow->addWidget(faultList_, 1);
    faultRow->addLayout(faultButtons);
    column->addWidget(faults);

    // Recording and playback.
    auto* logs = new QGroupBox(QStringLiteral("Log and playback"), body);
    logButton_ = button("Record &log...", "log_record", logs);
    logLabel_ = new QLabel(QStringLiteral("Not recording"), logs);
    logLabel_->setObjectName(QStringLiteral("log_file"));
    auto* openButton = button("&Open log...", "playback_open", logs);
    playButton_ = button("&Play", "playback_play", logs);
    liveButton_ = button("Li&ve", "playback_close", logs);
    position_ = new QSlider(Qt::Horizontal, logs);
    position_->setObjectName(QStringLiteral("playback_position"));
    positionLabel_ = new QLabel(logs);
    positionLabel_->setObjectName(QStringLiteral("playback_time"));
    auto* logRow = new QHBoxLayout;
    logRow->addWidget(logButton_);
    logRow->addWidget(logLabel_, 1);
    auto* playRow = new QHBoxLayout;
    playRow->addWidget(openButton);
    playRow->addWidget(playButton_);
    playRow->addWidget(liveButton_);
    playRow->addWidget(positionLabel_, 1);
    auto* logColumn = new QVBoxLayout(logs);
    logColumn->addLayout(logRow);
    logColumn->addLayout(playRow);
    logColumn->addWidget(position_);
    column->addWidget(logs);

    graph_ = new LiveGraph(body);
    column->addWidget(graph_, 1);
    setWidget(body);

    connect(portBox_, &QLineEdit::editingFinished, this, [this] {
        const QString text = emulink::portBoxTextAfterEdit(portBox_->text());
        if (text != portBox_->text())
            portBox_->setText(text);
    });
    connect(portBox_, &QLineEdit::textChanged, portList_, &emulink::PortListBox::showDevice);
    connect(portList_, &emulink::PortListBox::portChosen, portBox_, &QLineEdit::setText);
    connect(connectButton_, &QPushButton::clicked, this, &LiveDataDock::toggleConnection);
    connect(follow_, &QCheckBox::toggled, &session_, &LiveSession::setFollow);
    connect(readFaults, &QPushButton::clicked, &session_, &LiveSession::readFaultCodes);
    connect(clearFaults, &QPushButton::clicked, &session_, &LiveSession::clearFaultCodes);
    connect(logButton_, &QPushButton::clicked, this, &LiveDataDock::toggleLogging);
    connect(openButton, &QPushButton::clicked, this, &LiveDataDock::openLog);
    connect(playButton_, &QPushButton::clicked, this, [this] {
        consult::LogPlayer& p = session_.player();
        p.playing() ? p.pause() : p.play();
    });
    connect(liveButton_, &QPushButton::clicked, &session_, &LiveSession::closePlayback);
    connect(position_, &QSlider::valueChanged, this, [this](int ms) { session_.player().seek(ms); });

    connect(&session_, &LiveSession::columnsChanged, this, &LiveDataDock::rebuildFigures);
    connect(&session_, &LiveSession::valuesShown, this, [this](const std::vector<double>& v, qint64 timeMs) {
        showValues(v);
        if (!session_.playbackOpen())
            graph_->addValues(v, timeMs);
    });
    connect(&session_, &LiveSession::traced, this, [this](int row, int col) {
        if (row < 0)
            tracedLabel_->clear();
        else if (col < 0)
            tracedLabel_->setText(QStringLiteral("Row %1 (no TP)").arg(row + 1));
        else
            tracedLabel_->setText(QStringLiteral("Row %1, column %2").arg(row + 1).arg(col + 1));
    });
    connect(&session_, &LiveSession::stateChanged, this, &LiveDataDock::showState);
    connect(&session_, &LiveSession::framesLostChanged, this,
            [this](quint64 lost) { lostLabel_->setText(QStringLiteral("%1 frames lost").arg(lost)); });
    connect(&session_, &LiveSession::faultCodesRead, this,
            [this](const std::vector<consult::FaultCode>& codes) {
                faultList_->clear();
                for (const consult::FaultCode& c : codes)
                    faultList_->addItem(QStringLiteral("Code %1, %2 starts ago")
                                            .arg(c.code, 2, 16, QLatin1Char('0'))
                                            .arg(c.startsSinceSeen));
                if (codes.empty())
                    faultList_->addItem(QStringLiteral("No fault codes stored"));
            });
    connect(&session_, &LiveSession::loggingChanged, this, [this](bool on) {
        logButton_->setText(on ? QStringLiteral("Stop &log") : QStringLiteral("Record &log..."));
        if (!on)
            logLabel_->setText(QStringLiteral("Not recording"));
    });
    consult::LogPlayer& player = session_.player();
    connect(&session_, &LiveSession::playbackChanged, this, &LiveDataDock::showPlayback);
    connect(&player, &consult::LogPlayer::playingChanged, this, [this](bool playing) {
        playButton_->setText(playing ? QStringLiteral("&Pause") : QStringLiteral("&Play"));
    });
    connect(&player, &consult::LogPlayer::positionChanged, this, [this](qint64 ms) {
        if (!session_.playbackOpen())
            return;
        const QSignalBlocker quiet(position_);
        position_->setValue(static_cast<int>(ms));
        positionLabel_->setText(minutes(ms) + QStringLiteral(" / ") +
                                minutes(session_.player().log().durationMs()));
        graph_->showLog(session_.player().log(), ms);
    });
    showPlayback();
}

void LiveDataDock::setPortLister(emulink::PortListBox::Lister lister)
{
    portList_->setLister(std::move(lister));
}

QString LiveDataDock::portName() const
{
    return emulink::resolvePortName(portBox_->text(), programFolder_);
}

void LiveDataDock::toggleConnection()
{
    if (session_.connected()) {
        session_.disconnectEcu();
        return;
    }
    const QString name = portName();
    if (name.isEmpty()) {
        status_.appendStatusLine("No serial port is known as ECU port " + portBox_->text().toStdString());
        return;
    }
    session_.connectEcu(name);
}

void LiveDataDock::toggleLogging()
{
    if (session_.logging()) {
        session_.stopLog();
        return;
    }
    const std::string path =
        dialogs_.fncGetFileNametoSave("Live data log (*.csv)|*.csv", "csv", "Record live data to", "");
    if (path.empty())
        return;
    if (session_.startLog(QString::fromStdString(path)))
        logLabel_->setText(QDir::toNativeSeparators(QString::fromStdString(path)));
}

void LiveDataDock::openLog()
{
    const std::string path =
        dialogs_.fncGetFileNametoOpen("Play a live data log", "Live data log (*.csv)|*.csv", "csv", "");
    if (!path.empty())
        session_.openPlayback(QString::fromStdString(path));
}

QString LiveDataDock::figureText(std::size_t column) const
{
    return column < figureLabels_.size() ? figureLabels_[column]->text() : QString();
}

void LiveDataDock::rebuildFigures()
{
    for (QLabel* l : figureLabels_)
        delete l;
    figureLabels_.clear();
    while (QLayoutItem* item = figures_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const auto& columns = session_.columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        auto* name = new QLabel(QString::fromStdString(columns[i].name), this);
        auto* figure = new QLabel(QStringLiteral("-"), this);
        figure->setObjectName(QStringLiteral("figure_%1").arg(i));
        figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont big = figure->font();
        big.setBold(true);
        figure->setFont(big);
        figure->setMinimumWidth(figure->fontMetrics().horizontalAdvance(QStringLiteral("00000.00 ° BTDC")));
        const int row = static_cast<int>(i / 2), col = static_cast<int>(i % 2) * 2;
        figures_->addWidget(name, row, col);
        figures_->addWidget(figure, row, col + 1);
        figureLabels_.push_back(figure);
    }
    graph_->setColumns(columns);
}

void LiveDataDock::showValues(const std::vector<double>& values)
{
    const auto& columns = session_.columns();
    for (std::size_t i = 0; i < figureLabels_.size() && i < values.size() && i < columns.size(); ++i) {
        QString text = QString::number(values[i], 'f', columns[i].decimals);
        if (!columns[i].unit.empty())
            text += QLatin1Char(' ') + QString::fromStdString(columns[i].unit);
        figureLabels_[i]->setText(text);
    }
}

void LiveDataDock::showState(consult::ConsultLink::State state)
{
    stateLabel_->setText(QString::fromLatin1(consult::stateName(state)));
    const bool connected = state != consult::ConsultLink::State::Disconnected;
    connectButton_->setText(connected ? QStringLiteral("Dis&connect") : QStringLiteral("&Connect"));
    if (!connected)
        lostLabel_->clear();
}

void LiveDataDock::showPlayback()
{
    const bool open = session_.playbackOpen();
    const consult::LogPlayer& p = session_.player();
    playButton_->setEnabled(open);
    liveButton_->setEnabled(open);
    position_->setEnabled(open);
    const QSignalBlocker quiet(position_);
    position_->setRange(0, open ? static_cast<int>(p.log().durationMs()) : 0);
    position_->setValue(open ? static_cast<int>(p.position()) : 0);
    if (open) {
        positionLabel_->setText(minutes(p.position()) + QStringLiteral(" / ") +
                                minutes(p.log().durationMs()));
        graph_->showLog(p.log(), p.position());
    } else {
        positionLabel_->setText(QStringLiteral("Live"));
        graph_->clear();
    }
}

} // namespace vantrell
