// One or two emulator boards sharing one serial line, as a pure state machine: bytes from the host go
// in, the boards' replies come out. No I/O, no clock: the caller writes the replies and paces them.
//
// Framing: a frame starts with 'A' (addressed) or 'e' (configuration); bytes outside a frame are line
// noise and are skipped. An addressed frame with an unknown command letter is dropped at its start
// byte and the bytes after it are scanned again. A complete frame whose checksum is wrong is dropped
// whole and gets no reply. Every complete frame, good or bad, goes into the frame log.
//
// Memory: each board holds `capacity` bytes (0xFF, an erased EPROM, at start). A wire address indexes
// it directly; addresses at or above the capacity wrap round it, as the missing address line of a
// smaller EPROM would.
#pragma once

#include "emulink/Frames.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace boardsim {

struct BoardConfig
{
    std::uint8_t id = 1;
    std::uint8_t major = 1;
    std::uint8_t minor = 0;
    std::uint32_t capacity = 0x8000; // 0x8000 (27C256) or 0x10000 (27C512)
    // The size its version reply claims; 0: its capacity. A board that claims more than it holds (a
    // fault) wraps the writes above its memory round to the bottom.
    std::uint32_t reportedCapacity = 0;
};

struct Board
{
    BoardConfig config;
    emulink::Bytes memory;
    int pullMode = -1; // -1 never set, 0x00 hard, 0xFF soft
};

enum class Fault { NoReply, LateReply, WrongBlockSum, WrongChunkChecksum, ExtraBytes, HangUp };
inline constexpr std::size_t kFaultCount = 6;

struct Reply
{
    emulink::Bytes bytes;
    std::chrono::milliseconds delay{0}; // extra delay on top of the line time (late-reply fault)
    bool hangUp = false;                // the line is to be hung up instead of answering
    // Position of the answered frame in the stream of all bytes received so far (first byte's index)
    // and its length, so a caller can pace the reply from the arrival of the frame's first byte.
    std::uint64_t frameStart = 0;
    std::size_t frameLength = 0;
};

// Reply bytes of the frames that carry no information of their own.
inline constexpr std::uint8_t kAckByte = 'K';    // short write, chunk write
inline constexpr std::uint8_t kStatusByte = 'K'; // status request
inline constexpr std::uint8_t kPullAck = 'P';    // set pull
// Bytes the extra-bytes fault appends to a reply.
inline constexpr std::array<std::uint8_t, 2> kExtraBytes{0x5A, 0xA5};

class BoardBus
{
  public:
    // Throws std::invalid_argument when there are no boards, or a capacity is neither 0x8000 nor 0x10000.
    explicit BoardBus(std::vector<BoardConfig> boards);

    // Bytes arriving from the host. Complete frames are acted on at once; returns the replies in order.
    // Addressed frames are answered only by the addressed board(s); 'e' frames are taken by every
    // board, and each answers, one reply after the other.
    std::vector<Reply> receive(std::span<const std::uint8_t> bytes);

    // The host discarded its buffers: a partial frame is dropped.
    void discardInput();

    // The fault applies to the next `count` replies it can change: a wrong block sum only to verified
    // block write replies, a wrong chunk checksum only to chunk read replies, the others to any reply.
    // Counts add up; a count of 0 or less cancels the pending fault.
    void injectFault(Fault fault, int count = 1);
    int pendingFaults(Fault fault) const;
    void setLateReplyDelay(std::chrono::milliseconds d);
    std::chrono::milliseconds lateReplyDelay() const { return lateDelay_; }

    std::vector<Board>& boards();
    const std::vector<Board>& boards() const { return boards_; }

    // Every complete frame received (also those with a wrong checksum).
    const std::vector<emulink::Bytes>& frameLog() const;
    void clearFrameLog();

    std::uint64_t bytesReceived() const { return received_; }
    // Bytes of a frame started but not complete yet.
    std::size_t partialFrameLength() const { return partial_.size(); }

  private:
    void feed(std::uint8_t byte, std::vector<Reply>& replies);
    // Frame length once enough of the frame is known: 0 = need more bytes, -1 = not a frame.
    long frameLengthSoFar() const;
    void complete(std::vector<Reply>& replies);
    void answerAddressed(const emulink::Bytes& frame, std::vector<Reply>& replies);
    void answerConfig(const emulink::Bytes& frame, std::vector<Reply>& replies);
    void sendReply(Reply reply, std::uint8_t command, std::vector<Reply>& replies);
    bool take(Fault fault);

    std::vector<Board> boards_;
    emulink::Bytes partial_;
    std::uint64_t partialStart_ = 0;
    std::uint64_t received_ = 0;
    std::vector<emulink::Bytes> frameLog_;
    std::array<int, kFaultCount> faults_{};
    std::chrono::milliseconds lateDelay_{400};
};

// Name used on the command line and in the log ("noreply", "late", "wrongsum", "wrongchecksum",
// "extra", "hangup"), and back; false for an unknown name.
const char* faultName(Fault fault);
bool faultFromName(const std::string& name, Fault& fault);

} // namespace boardsim
