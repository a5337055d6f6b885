// One board's exchange on the serial line, with its bounds: the send step (both buffers discarded, then
// the whole frame written at once), the wait for the reply through the Clock (it never spins: it sleeps
// until bytes arrive, the port reports an event or the bound is reached), and the bounded request that
// sends a frame again after each failure.
//
// The channel knows frames and replies only. Which boards were found, whether the link is online and
// what the user is told belong to the caller (LinkOperations). It does not mark the link busy either:
// the caller keeps a second exchange off the wire while one of these waits.
#pragma once

#include "Clock.h"
#include "Frames.h"
#include "SerialPort.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace emulink {

class BoardChannel
{
  public:
    // A reply that has not arrived within this bound counts as no reply.
    static constexpr std::chrono::milliseconds kReplyTimeout{250};
    // A request ends after this many failures in a row.
    static constexpr int kMaxFailuresInRow = 3;

    // How the awaited reply length counts.
    enum class Awaited {
        AtLeast, // the reply has arrived once this many bytes wait
        Exactly, // the reply is good only when exactly this many bytes wait; more never become fewer,
                 // so the wait ends as soon as there are as many
    };

    // One try: whether the awaited bytes came in time, and every byte that was waiting afterwards.
    struct Reply
    {
        bool arrived = false;
        Bytes bytes;
    };

    // The end of a bounded request.
    struct Outcome
    {
        bool ok = false;         // a reply arrived in time and passed the check
        int failures = 0;        // tries that failed, in a row, before the end (0..kMaxFailuresInRow)
        bool portClosed = false; // the request ended because the port was closed (a line event, a close)
        Bytes reply;             // the accepted reply, as the check left it; empty when not ok
    };

    // Judges a reply that arrived in time. May shorten it (a chunk read drops its checksum byte).
    using Check = std::function<bool(Bytes& reply)>;

    // The channel uses port and clock for its whole lifetime; it does not own them.
    BoardChannel(SerialPort& port, Clock& clock);

    SerialPort& port() { return port_; }
    Clock& clock() { return clock_; }

    // The send step of every exchange: discard both buffers, write the frame.
    void send(const Bytes& frame);
    // After a send: wait until `length` bytes wait (as `awaited` counts them), the port closes or the
    // deadline passes; then take everything waiting.
    Reply awaitReply(std::size_t length, Awaited awaited, Clock::TimePoint deadline);
    // Send, then wait for the reply with a bound counted from the end of the send.
    Reply exchange(const Bytes& frame, std::size_t length, Awaited awaited = Awaited::AtLeast,
                   Clock::Duration timeout = kReplyTimeout);
    // Send, wait a fixed time whatever arrives, take everything waiting (exchanges that judge nothing).
    Bytes collect(const Bytes& frame, Clock::Duration wait);

    // The bounded request: sends the frame and waits up to kReplyTimeout for the reply; a reply that
    // does not arrive in time or that `accept` rejects is a failure, and the frame is sent again, until
    // a reply is accepted, kMaxFailuresInRow failures have come in a row, or the port is found closed
    // (checked before every try: a closed port cannot answer). An empty `accept` takes any reply that
    // arrived. At most kMaxFailuresInRow × kReplyTimeout of waiting.
    Outcome request(const Bytes& frame, std::size_t length, Awaited awaited, const Check& accept = {});

    // The requests of the link, each with its rule of success.
    // Short write: the one-byte acknowledgement arrived (its value is not looked at).
    Outcome writeShort(std::uint8_t id, std::uint16_t wireAddress, std::span<const std::uint8_t> data);
    // Verified block write: exactly two bytes came back and they are the block sum of `data`.
    Outcome writeVerifiedBlock(std::uint8_t id, std::uint16_t wireAddress,
                               std::span<const std::uint8_t> data);
    // Chunk read: 257 bytes, the last the checksum of the 256 before it. The reply is the 256 data bytes.
    Outcome readChunk(std::uint8_t id, std::uint16_t wireAddress);
    // Version request: the whole three-byte reply (versions and size code) arrived.
    Outcome askVersion(std::uint8_t id);

  private:
    SerialPort& port_;
    Clock& clock_;
};

} // namespace emulink
