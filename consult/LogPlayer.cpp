#include "LogPlayer.h"

#include <algorithm>

namespace consult {

LogPlayer::LogPlayer(emulink::Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {}

bool LogPlayer::open(const QString& path, QString& error)
{
    LogFile log;
    if (!log.read(path, error))
        return false;
    pause();
    log_ = std::move(log);
    open_ = true;
    row_.reset();
    anchorMs_ = log_.rows().empty() ? 0 : log_.rows().front().timeMs;
    show(anchorMs_);
    return true;
}

std::int64_t LogPlayer::position() const
{
    if (!playing_)
        return anchorMs_;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now() - anchorTime_).count();
    return std::min(anchorMs_ + elapsed, log_.durationMs());
}

void LogPlayer::play()
{
    if (playing_ || !open_ || log_.rows().empty())
        return;
    // At the end, play starts again from the beginning.
    if (anchorMs_ >= log_.durationMs())
        anchorMs_ = log_.rows().front().timeMs;
    anchorTime_ = clock_.now();
    playing_ = true;
    emit playingChanged(true);
    show(anchorMs_);
    const std::uint64_t token = ++tickToken_;
    clock_.callAt(clock_.now() + kTickInterval, this, [this, token] {
        if (token == tickToken_)
            tick();
    });
}

void LogPlayer::pause()
{
    if (!playing_)
        return;
    anchorMs_ = position();
    playing_ = false;
    ++tickToken_;
    emit playingChanged(false);
    show(anchorMs_);
}

void LogPlayer::seek(std::int64_t timeMs)
{
    if (!open_)
        return;
    anchorMs_ = std::clamp<std::int64_t>(timeMs, 0, log_.durationMs());
    anchorTime_ = clock_.now();
    show(anchorMs_);
}

void LogPlayer::tick()
{
    if (!playing_)
        return;
    const std::int64_t at = position();
    show(at);
    if (at >= log_.durationMs()) {
        anchorMs_ = at;
        playing_ = false;
        emit playingChanged(false);
        return;
    }
    const std::uint64_t token = ++tickToken_;
    clock_.callAt(clock_.now() + kTickInterval, this, [this, token] {
        if (token == tickToken_)
            tick();
    });
}

void LogPlayer::show(std::int64_t timeMs)
{
    if (timeMs != shownMs_) {
        shownMs_ = timeMs;
        emit positionChanged(timeMs);
    }
    const auto row = log_.rowAt(timeMs);
    if (row != row_) {
        row_ = row;
        if (row)
            emit rowChanged(static_cast<int>(*row));
    }
}

} // namespace consult
