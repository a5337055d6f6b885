// Time for the link, and the one way the link waits.
//
// A wait runs a local event loop: windows keep painting, timers and serial events keep running, but
// user input (keys, clicks) is held back and delivered in order after the wait, so no editing key can
// start a second exchange while one is waiting. A wait never spins: it sleeps until a byte arrives,
// the port reports an event or the deadline comes.
//
// SteadyClock is the real one. FakeClock (tests) moves its time forward instantly to the next thing
// that is due, so a 10-second search takes milliseconds. Both need a QCoreApplication.
#pragma once

#include <QObject>

#include <chrono>
#include <functional>

namespace emulink {

class SerialPort;

class Clock
{
  public:
    using Duration = std::chrono::steady_clock::duration;
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;

    virtual TimePoint now() const = 0;

    // Waits until `done()` holds or the deadline has passed, whichever comes first. `done` is checked
    // at the start, whenever `port` signals readyRead or commsError, and at the deadline; an empty
    // `done` waits for the deadline only. `port` may be null. Returns done() at the end (false for an
    // empty `done`). Re-entrant: an event handled inside the wait may wait itself.
    virtual bool waitUntil(TimePoint deadline, SerialPort* port, const std::function<bool()>& done) = 0;

    // Calls `action` from the event loop once the clock has reached `when` (at once, through a posted
    // call, when `when` has already passed). Nothing is called after `context` is destroyed.
    virtual void callAt(TimePoint when, QObject* context, std::function<void()> action) = 0;

    // Convenience forms.
    bool waitFor(Duration timeout, SerialPort* port, const std::function<bool()>& done)
    {
        return waitUntil(now() + timeout, port, done);
    }
    void pause(Duration length) { waitUntil(now() + length, nullptr, {}); }
};

// Rounds a time to the nearest whole second of its clock (halves up): the online search counts in
// whole seconds.
Clock::TimePoint roundToSecond(Clock::TimePoint time);

} // namespace emulink
