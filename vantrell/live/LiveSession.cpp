#include "vantrell/live/LiveSession.h"

#include "vantrell/grid/MapGrid.h"
#include "vantrell/tools/MapView3D.h"

#include <QDir>

namespace vantrell {

namespace {

std::optional<std::size_t> columnNamed(const std::vector<consult::StreamLayout::Column>& columns,
                                       const std::string& name)
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name == name)
            return i;
    return std::nullopt;
}

} // namespace

LiveSession::LiveSession(EditorState& state, common::StatusSink& status, emulink::Clock& clock, MapGrid& grid,
                         MapView3D& view, QObject* parent)
    : QObject(parent), state_(state), status_(status), clock_(clock), grid_(grid), view_(view), trace_(state),
      player_(clock)
{
    flushTimer_.setInterval(kLogFlushMs);
    connect(&flushTimer_, &QTimer::timeout, this, [this] { log_.flush(); });
    connect(&player_, &consult::LogPlayer::rowChanged, this, [this](int row) {
        if (!playbackOpen_)
            return;
        const consult::LogRow& r = player_.log().rows()[static_cast<std::size_t>(row)];
        show(r.values, r.timeMs);
    });
    // A page switch shows another map: the trace follows onto its axes.
    connect(grid_.gridModel(), &MapGridModel::refreshed, this, [this] {
        trace_.retrace();
        showTrace();
    });
}

LiveSession::~LiveSession()
{
    log_.close();
    if (link_) {
        link_->disconnect(this);
        link_->disconnectPort();
    }
}

void LiveSession::setPort(emulink::SerialPort& port)
{
    // The link's lines reach the status window through this session, which stops passing them on as
    // the window closes (the status window may be gone by then).
    link_ = std::make_unique<consult::ConsultLink>(port, clock_, nullptr);
    connect(link_.get(), &consult::ConsultLink::statusLine, this,
            [this](const QString& line) { say(line.toStdString()); });
    connect(link_.get(), &consult::ConsultLink::frameReceived, this, &LiveSession::onFrame);
    connect(link_.get(), &consult::ConsultLink::stateChanged, this, &LiveSession::stateChanged);
    connect(link_.get(), &consult::ConsultLink::faultCodesRead, this, &LiveSession::faultCodesRead);
    connect(link_.get(), &consult::ConsultLink::faultCodesCleared, this, [this] { emit faultCodesRead({}); });
    connect(link_.get(), &consult::ConsultLink::framesLostChanged, this, &LiveSession::framesLostChanged);
}

bool LiveSession::connectEcu(const QString& portName)
{
    if (!link_) {
        say("This program has no port for the ECU");
        return false;
    }
    const std::optional<std::uint16_t> tp = tpAddressOf(state_.def);
    if (!tp)
        say("The engine definition names no TP address ([consult] tpram): the trace marks the RPM row only");
    const consult::StreamLayout layout = consult::standardLayout(tp);
    if (!link_->connectPort(portName))
        return false;
    link_->startStream(layout);
    if (!playbackOpen_) {
        trace_.clear();
        useColumns(layout.columns());
    }
    return true;
}

void LiveSession::disconnectEcu()
{
    if (!link_)
        return;
    link_->disconnectPort();
    if (!playbackOpen_) {
        trace_.clear();
        showTrace();
    }
}

bool LiveSession::connected() const
{
    return link_ && link_->state() != consult::ConsultLink::State::Disconnected;
}

bool LiveSession::readFaultCodes()
{
    if (!connected()) {
        say("Connect to the ECU first");
        return false;
    }
    return link_->readFaultCodes();
}

bool LiveSession::clearFaultCodes()
{
    if (!connected()) {
        say("Connect to the ECU first");
        return false;
    }
    return link_->clearFaultCodes();
}

bool LiveSession::startLog(const QString& path)
{
    stopLog();
    const consult::StreamLayout layout =
        link_ && link_->streamWanted() ? link_->layout() : consult::standardLayout(tpAddressOf(state_.def));
    QString error;
    if (!log_.open(path, layout.columns(), error)) {
        say("Cannot write the log " + QDir::toNativeSeparators(path).toStdString() + ": " +
            error.toStdString());
        return false;
    }
    logStart_ = clock_.now();
    flushTimer_.start();
    say("Logging live data to " + QDir::toNativeSeparators(path).toStdString());
    emit loggingChanged(true);
    return true;
}

void LiveSession::stopLog()
{
    if (!log_.isOpen())
        return;
    const std::uint64_t rows = log_.rowsWritten();
    log_.close();
    flushTimer_.stop();
    say("Log closed: " + std::to_string(rows) + " frames");
    emit loggingChanged(false);
}

bool LiveSession::openPlayback(const QString& path)
{
    QString error;
    const bool wasOpen = playbackOpen_;
    // The player shows the new log's first row as it opens: shown here once its columns are in use.
    playbackOpen_ = false;
    const std::string file = QDir::toNativeSeparators(path).toStdString();
    if (!player_.open(path, error)) {
        playbackOpen_ = wasOpen;
        say("Cannot play the log " + file + ": " + error.toStdString());
        return false;
    }
    if (player_.log().skippedLines() > 0)
        say("The log " + file + " has " + std::to_string(player_.log().skippedLines()) +
            " unreadable lines: they are left out");
    playbackOpen_ = true;
    trace_.clear();
    useColumns(player_.log().columns());
    emit playbackChanged(true);
    if (const auto row = player_.currentRow())
        show(player_.log().rows()[*row].values, player_.log().rows()[*row].timeMs);
    else
        showTrace();
    return true;
}

void LiveSession::closePlayback()
{
    if (!playbackOpen_)
        return;
    player_.pause();
    playbackOpen_ = false;
    trace_.clear();
    useColumns(link_ && link_->streamWanted() ? link_->layout().columns()
                                              : std::vector<consult::StreamLayout::Column>{});
    showTrace();
    emit playbackChanged(false);
}

void LiveSession::setFollow(bool follow)
{
    follow_ = follow;
    if (follow_)
        showTrace();
}

void LiveSession::onFrame(const consult::LiveFrame& frame)
{
    if (log_.isOpen()) {
        const consult::Trace fuel = trace_.traceOn(MapKey::FuelHigh, frame.values);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now() - logStart_).count();
        const bool hasCell = fuel.valid && fuel.hasLoad;
        if (!log_.append({ms, frame.values, hasCell ? fuel.row : -1, hasCell ? fuel.col : -1})) {
            say("Logging stopped: " + log_.errorText().toStdString());
            flushTimer_.stop();
            emit loggingChanged(false);
        }
    }
    if (!playbackOpen_)
        show(frame.values, frame.timeMs);
}

void LiveSession::show(const std::vector<double>& values, std::int64_t timeMs)
{
    trace_.take(values);
    showTrace();
    emit valuesShown(values, timeMs);
}

void LiveSession::showTrace()
{
    const CellTrace looks = trace_.looks();
    grid_.gridModel()->setTrace(looks);
    view_.setTrace(looks);
    const consult::Trace& t = trace_.current();
    const bool cell = t.valid && t.hasLoad;
    emit traced(t.valid ? t.row : -1, cell ? t.col : -1);
    if (!follow_ || !cell)
        return;
    const CellBlock running{t.row + 1, t.col + 1, t.row + 1, t.col + 1};
    if (!(grid_.savedSelection() == running) || grid_.selectedBlocks() != QList<CellBlock>{running})
        grid_.selectCells(running);
}

void LiveSession::useColumns(const std::vector<consult::StreamLayout::Column>& columns)
{
    columns_ = columns;
    trace_.setColumns(columnNamed(columns_, consult::channelInfo(consult::Channel::Rpm).name),
                      columnNamed(columns_, consult::kTpName));
    emit columnsChanged();
}

void LiveSession::say(const std::string& line)
{
    status_.appendStatusLine(line);
}

} // namespace vantrell
