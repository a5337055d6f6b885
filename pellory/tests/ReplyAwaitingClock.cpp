#include "ReplyAwaitingClock.h"

#include "emulink/SteadyClock.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace pellory::testing {

bool RecordingQtPort::write(std::span<const std::uint8_t> bytes)
{
    lastWrite_.assign(bytes.begin(), bytes.end());
    return QtSerialPort::write(bytes);
}

emulink::Bytes RecordingQtPort::takeLastWrite()
{
    return std::exchange(lastWrite_, {});
}

ReplyAwaitingClock::ReplyAwaitingClock(RecordingQtPort& port, ReplyLength replyLength)
    : port_(port), replyLength_(std::move(replyLength))
{}

bool ReplyAwaitingClock::waitUntil(TimePoint deadline, emulink::SerialPort* port,
                                   const std::function<bool()>& done)
{
    const emulink::Bytes frame = port_.takeLastWrite();
    const std::size_t expected = frame.empty() ? 0 : replyLength_(frame);
    if (expected > 0) {
        emulink::SteadyClock real;
        const bool arrived =
            real.waitFor(std::chrono::seconds(5), &port_, [&] { return port_.bytesWaiting() >= expected; });
        if (!arrived)
            ++missed_;
    }
    return fake_.waitUntil(deadline, port, done);
}

void ReplyAwaitingClock::callAt(TimePoint when, QObject* context, std::function<void()> action)
{
    fake_.callAt(when, context, std::move(action));
}

ReplyAwaitingClock::ReplyLength boardsAt(std::vector<int> ids)
{
    return [ids = std::move(ids)](const emulink::Bytes& frame) -> std::size_t {
        if (frame.size() == 4 && frame[0] == 'A' && frame[2] == 'V')
            return std::find(ids.begin(), ids.end(), frame[1]) != ids.end() ? 3 : 0;
        if (!frame.empty() && frame[0] == 'e')
            return ids.size();
        return 0;
    };
}

} // namespace pellory::testing
