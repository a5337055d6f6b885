// Test clock for the setup tool over a pseudo-terminal. Time is virtual (a FakeClock underneath), so a
// 50 ms probe or a 1-second pause costs nothing; but before a wait after a frame moves virtual time
// on, it waits in real time for the reply that the test expects the virtual boards to send to that
// frame (bounded, so a missing reply fails the test instead of hanging it). Frames that no board
// answers cost no real time at all.
#pragma once

#include "emulink/FakeClock.h"
#include "emulink/QtSerialPort.h"

#include <cstddef>
#include <functional>

namespace pellory::testing {

// A QtSerialPort that remembers the last frame written.
class RecordingQtPort : public emulink::QtSerialPort
{
  public:
    bool write(std::span<const std::uint8_t> bytes) override;
    // The last frame written that no wait has taken up yet; empty when there is none.
    emulink::Bytes takeLastWrite();

  private:
    emulink::Bytes lastWrite_;
};

class ReplyAwaitingClock : public emulink::Clock
{
  public:
    // How many reply bytes the boards send to a frame (0: none).
    using ReplyLength = std::function<std::size_t(const emulink::Bytes& frame)>;

    ReplyAwaitingClock(RecordingQtPort& port, ReplyLength replyLength);

    TimePoint now() const override { return fake_.now(); }
    bool waitUntil(TimePoint deadline, emulink::SerialPort* port, const std::function<bool()>& done) override;
    void callAt(TimePoint when, QObject* context, std::function<void()> action) override;

    // Replies that did not come within the real-time bound.
    int missedReplies() const { return missed_; }

  private:
    RecordingQtPort& port_;
    ReplyLength replyLength_;
    emulink::FakeClock fake_;
    int missed_ = 0;
};

// Reply lengths of boards at the given IDs: 3 bytes to a version request to one of them, one byte
// from each board to a configuration frame.
ReplyAwaitingClock::ReplyLength boardsAt(std::vector<int> ids);

} // namespace pellory::testing
