// A real clock for tests over a real line, without the real pauses: a wait that waits for something
// (a reply) runs in real time up to its deadline; a pause that waits for nothing (the scan's three
// seconds) is skipped by moving this clock's time forward. With a real-time cap set, a wait on the
// line that is not over within the cap skips the rest of its time too, so a search of a silent line
// for ten seconds costs a fraction of one.
#pragma once

#include "emulink/SteadyClock.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <functional>

namespace testsupport {

class PauseSkippingClock : public emulink::SteadyClock
{
  public:
    TimePoint now() const override { return SteadyClock::now() + skipped_; }
    bool waitUntil(TimePoint deadline, emulink::SerialPort* port, const std::function<bool()>& done) override
    {
        if (done) {
            const TimePoint capped = std::min(deadline, now() + realCap_);
            if (SteadyClock::waitUntil(capped, port, done))
                return true;
        }
        const auto left = deadline - now();
        if (left > Duration::zero())
            skipped_ += left;
        QCoreApplication::processEvents();
        return done && done();
    }
    void capRealWaits(Duration cap) { realCap_ = cap; }
    Duration skipped() const { return skipped_; }

  private:
    Duration skipped_{};
    Duration realCap_ = std::chrono::hours(1);
};

} // namespace testsupport
