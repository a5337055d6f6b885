// Reads the ECU's stream of frames (0xFF, length, data) out of the bytes as they arrive, in any
// pieces. The line carries no checksum, so a frame counts only when the byte after it starts the next
// frame (0xFF, which a streaming ECU sends at once) or, once a stop was asked for, is the stop reply.
// That catches a byte inserted or lost inside a frame: the frame it hit is dropped, not passed on with
// its bytes shifted.
//
// After noise, a bad length or a stray byte the reader hunts for the next 0xFF followed by the
// expected length, and takes the frame there once the byte after it confirms it. The frames lost on
// the way are counted: the bytes skipped, in whole frames (rounded, at least one).
#pragma once

#include "ConsultProtocol.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace consult {

class FrameReader
{
  public:
    // dataLength: the data bytes of every frame (1..kMaxFrameData, as the stream was requested).
    explicit FrameReader(std::size_t dataLength);

    // Takes the bytes; appends each confirmed frame's data bytes to `frames`, in order.
    void feed(std::span<const std::uint8_t> bytes, std::vector<Bytes>& frames);

    // From now on the stop reply (0xCF) confirms a frame as the next frame's start would, and ends the
    // stream when it comes where a frame would start.
    void expectStop();
    bool stopped() const { return stopped_; }

    std::size_t dataLength() const { return dataLength_; }
    std::uint64_t framesRead() const { return framesRead_; }
    std::uint64_t framesLost() const { return framesLost_; }
    // Whether the reader is hunting for a frame start after losing its place.
    bool hunting() const { return hunting_; }

  private:
    std::size_t dataLength_;
    Bytes buffer_;
    bool hunting_ = false;
    bool stopExpected_ = false;
    bool stopped_ = false;
    std::uint64_t skipped_ = 0; // bytes dropped since the place was lost
    std::uint64_t framesRead_ = 0;
    std::uint64_t framesLost_ = 0;
};

// A single reply frame (fault codes, part number) at the start of `bytes`: the frame's length byte
// may be anything. Result: the data once the whole frame is there; `complete` false while bytes are
// still due; `bad` when the first byte is not a frame start.
struct ReplyFrame
{
    bool complete = false;
    bool bad = false;
    Bytes data;
    std::size_t length = 0; // bytes the whole frame takes, once complete
};
ReplyFrame readReplyFrame(std::span<const std::uint8_t> bytes);

} // namespace consult
