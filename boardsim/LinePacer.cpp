#include "LinePacer.h"

#include <algorithm>

namespace boardsim {

LinePacer::LinePacer(std::chrono::nanoseconds byteTime) : byteTime_(byteTime) {}

LinePacer::Clock::time_point LinePacer::schedule(Clock::time_point firstByte, std::size_t frameLength,
                                                 std::size_t replyLength, std::chrono::nanoseconds extraDelay)
{
    const auto frameEnd = firstByte + byteTime_ * static_cast<long>(frameLength);
    const auto start = std::max(frameEnd, lineFreeAt_);
    lineFreeAt_ = start + byteTime_ * static_cast<long>(replyLength) + extraDelay;
    return lineFreeAt_;
}

} // namespace boardsim
