#include "Clock.h"

namespace emulink {

Clock::TimePoint roundToSecond(Clock::TimePoint time)
{
    using namespace std::chrono;
    const auto since = time.time_since_epoch();
    const auto whole = floor<seconds>(since);
    const auto rest = since - whole;
    const auto rounded = rest * 2 >= seconds(1) ? whole + seconds(1) : whole;
    return Clock::TimePoint(duration_cast<Clock::Duration>(rounded));
}

} // namespace emulink
