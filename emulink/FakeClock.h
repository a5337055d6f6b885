// A clock for tests: time stands still until a wait or advance() moves it. A wait first lets the event
// loop deliver what is posted; if that does not finish the wait, time jumps to the next call scheduled
// with callAt() before the deadline (and runs it), or to the deadline itself. No real time passes.
#pragma once

#include "Clock.h"

#include <QPointer>

#include <cstdint>
#include <vector>

namespace emulink {

class FakeClock : public Clock
{
  public:
    FakeClock();

    TimePoint now() const override { return now_; }
    bool waitUntil(TimePoint deadline, SerialPort* port, const std::function<bool()>& done) override;
    void callAt(TimePoint when, QObject* context, std::function<void()> action) override;

    // Moves time forward, running every scheduled call that falls due on the way.
    void advance(Duration by);
    // Total virtual time that waits have consumed since construction.
    Duration waited() const { return waited_; }
    // Number of waits started.
    int waitCount() const { return waitCount_; }

  private:
    struct Scheduled
    {
        TimePoint when;
        std::uint64_t order;
        QPointer<QObject> context;
        std::function<void()> action;
    };
    bool runNextDue(TimePoint limit);

    TimePoint now_;
    Duration waited_{};
    int waitCount_ = 0;
    std::uint64_t nextOrder_ = 0;
    std::vector<Scheduled> scheduled_;
};

} // namespace emulink
