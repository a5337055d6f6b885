// Playback of a live-data log: play, pause and drag through it. The position runs with the clock
// while playing (checked kTickInterval apart, the figures and the trace follow the row it shows) and
// stops at the log's end. No widgets: the editor's playback bar calls these and listens to the signals.
#pragma once

#include "LiveLog.h"

#include "emulink/Clock.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

namespace consult {

class LogPlayer : public QObject
{
    Q_OBJECT
  public:
    // About 30 updates a second while playing.
    static constexpr std::chrono::milliseconds kTickInterval{33};

    // The player uses the clock for its whole lifetime; it does not own it.
    explicit LogPlayer(emulink::Clock& clock, QObject* parent = nullptr);

    // Reads the log and moves to its start (paused). False with `error` set when the file is no log;
    // the player then keeps the log it had.
    bool open(const QString& path, QString& error);
    const LogFile& log() const { return log_; }
    bool isOpen() const { return open_; }

    void play();
    void pause();
    bool playing() const { return playing_; }
    // Moves to a time in the log (clamped to its length), playing or not: dragging the slider.
    void seek(std::int64_t timeMs);
    std::int64_t position() const;
    // The row shown at the position; nothing without a log or for an empty one.
    std::optional<std::size_t> currentRow() const { return row_; }

  signals:
    void positionChanged(qint64 timeMs);
    // The row shown changed (a new frame of the log is on show).
    void rowChanged(int row);
    void playingChanged(bool playing);

  private:
    void tick();
    void show(std::int64_t timeMs);

    emulink::Clock& clock_;
    LogFile log_;
    bool open_ = false;
    bool playing_ = false;
    std::int64_t anchorMs_ = 0; // position when play started (or the paused position)
    emulink::Clock::TimePoint anchorTime_{};
    std::int64_t shownMs_ = 0;
    std::optional<std::size_t> row_;
    std::uint64_t tickToken_ = 0;
};

} // namespace consult
