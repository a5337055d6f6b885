// When a reply may leave, so that a pseudo-terminal behaves like a real serial line: no byte arrives
// sooner than the line could have carried it. At 115200 baud with 10 bits a byte (start, 8 data, stop)
// one byte takes about 86.8 us; a reply is due once the frame and the reply would both have crossed
// the line, counted from the arrival of the frame's first byte. Replies leave one after the other:
// a reply never starts before the one ahead of it has finished (a late reply holds back the rest).
#pragma once

#include <chrono>
#include <cstddef>

namespace boardsim {

class LinePacer
{
  public:
    using Clock = std::chrono::steady_clock;

    // 10 bits at 115200 baud, rounded up to whole nanoseconds.
    static constexpr std::chrono::nanoseconds kByteTime{86806};

    // byteTime 0 turns the pacing off: replies are due at once (a late reply still waits its delay).
    explicit LinePacer(std::chrono::nanoseconds byteTime = kByteTime);

    // Due time of a reply of replyLength bytes to a frame of frameLength bytes whose first byte arrived
    // at firstByte, with an extra delay on top. Marks the line busy until then.
    Clock::time_point schedule(Clock::time_point firstByte, std::size_t frameLength, std::size_t replyLength,
                               std::chrono::nanoseconds extraDelay = {});

    std::chrono::nanoseconds byteTime() const { return byteTime_; }

  private:
    std::chrono::nanoseconds byteTime_;
    Clock::time_point lineFreeAt_{};
};

} // namespace boardsim
