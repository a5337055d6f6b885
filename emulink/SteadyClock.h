// The real clock: std::chrono::steady_clock, waits in a local QEventLoop with a precise timer.
#pragma once

#include "Clock.h"

namespace emulink {

class SteadyClock : public Clock
{
  public:
    TimePoint now() const override;
    bool waitUntil(TimePoint deadline, SerialPort* port, const std::function<bool()>& done) override;
    void callAt(TimePoint when, QObject* context, std::function<void()> action) override;
};

} // namespace emulink
