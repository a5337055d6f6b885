// The editor's live data: the diagnostic link to the ECU, the log it records, the playback of a log,
// and what the editor shows of either: the values and the trace on the grid and the 3D view ("Follow
// the engine" moves the grid's selection to the running cell, so + and - change the cell the engine
// uses). The dock drives it; the window wires it.
//
// Live frames are shown as they arrive unless a log is open for playback; they are recorded either way
// while a log is being written. A log row holds the frame's values and the running cell of the main
// fuel map. Nothing here blocks: the link is event-driven, the playback ticks from the event loop.
#pragma once

#include "vantrell/editor/EditorState.h"
#include "vantrell/live/LiveTrace.h"

#include "common/StatusSink.h"
#include "consult/Channels.h"
#include "consult/ConsultLink.h"
#include "consult/LiveLog.h"
#include "consult/LogPlayer.h"
#include "emulink/Clock.h"
#include "emulink/SerialPort.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

namespace vantrell {

class MapGrid;
class MapView3D;

class LiveSession : public QObject
{
    Q_OBJECT
  public:
    // Flushes an open log at least this often, also when no frame comes.
    static constexpr int kLogFlushMs = 500;

    // Uses everything it is given for its whole lifetime; owns none of it.
    LiveSession(EditorState& state, common::StatusSink& status, emulink::Clock& clock, MapGrid& grid,
                MapView3D& view, QObject* parent = nullptr);
    ~LiveSession() override;

    // The port the ECU is reached through (the program's second port; opened at 9600 baud). Until
    // it is given, connecting refuses with a status line.
    void setPort(emulink::SerialPort& port);
    consult::ConsultLink* link() const { return link_.get(); }

    // Opens the named port and streams every register and, when the definition names it, the TP byte.
    bool connectEcu(const QString& portName);
    void disconnectEcu();
    bool connected() const;
    bool readFaultCodes();
    bool clearFaultCodes();

    // Records every frame to a CSV log at `path` from now on. False (with a status line) when the file
    // cannot be written.
    bool startLog(const QString& path);
    void stopLog();
    bool logging() const { return log_.isOpen(); }
    std::uint64_t rowsLogged() const { return log_.rowsWritten(); }

    consult::LogPlayer& player() { return player_; }
    // Opens a log for playback: the views follow its position instead of the live frames. False (with
    // a status line) when it cannot be read; what was shown stays.
    bool openPlayback(const QString& path);
    // Back to the live frames.
    void closePlayback();
    bool playbackOpen() const { return playbackOpen_; }

    void setFollow(bool follow);
    bool follow() const { return follow_; }

    // The columns of what is shown now (the live layout, or the log's in playback).
    const std::vector<consult::StreamLayout::Column>& columns() const { return columns_; }
    const LiveTrace& trace() const { return trace_; }

  signals:
    // The columns changed (a new stream or a log opened for playback).
    void columnsChanged();
    // Values shown, in columns() order, at `timeMs` of the stream or the log.
    void valuesShown(const std::vector<double>& values, qint64 timeMs);
    // The running cell traced for the values just shown (row -1: none; column -1: the row alone).
    void traced(int row, int column);
    void stateChanged(consult::ConsultLink::State state);
    void faultCodesRead(const std::vector<consult::FaultCode>& codes);
    void framesLostChanged(quint64 lost);
    void loggingChanged(bool logging);
    // A log was opened for playback (true) or the live frames are shown again (false).
    void playbackChanged(bool open);

  private:
    void onFrame(const consult::LiveFrame& frame);
    void show(const std::vector<double>& values, std::int64_t timeMs);
    void showTrace();
    void useColumns(const std::vector<consult::StreamLayout::Column>& columns);
    void say(const std::string& line);

    EditorState& state_;
    common::StatusSink& status_;
    emulink::Clock& clock_;
    MapGrid& grid_;
    MapView3D& view_;
    std::unique_ptr<consult::ConsultLink> link_;
    LiveTrace trace_;
    consult::LogPlayer player_;
    bool playbackOpen_ = false;
    consult::LogWriter log_;
    emulink::Clock::TimePoint logStart_{};
    QTimer flushTimer_;
    std::vector<consult::StreamLayout::Column> columns_;
    bool follow_ = false;
};

} // namespace vantrell
