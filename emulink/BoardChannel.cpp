#include "BoardChannel.h"

namespace emulink {

BoardChannel::BoardChannel(SerialPort& port, Clock& clock) : port_(port), clock_(clock) {}

void BoardChannel::send(const Bytes& frame)
{
    port_.discardBuffers();
    port_.write(frame);
}

BoardChannel::Reply BoardChannel::awaitReply(std::size_t length, Awaited awaited, Clock::TimePoint deadline)
{
    clock_.waitUntil(deadline, &port_, [&] { return !port_.isOpen() || port_.bytesWaiting() >= length; });
    Reply reply;
    if (port_.isOpen()) {
        const std::size_t waiting = port_.bytesWaiting();
        reply.arrived = awaited == Awaited::Exactly ? waiting == length : waiting >= length;
    }
    reply.bytes = port_.readAll();
    return reply;
}

BoardChannel::Reply BoardChannel::exchange(const Bytes& frame, std::size_t length, Awaited awaited,
                                           Clock::Duration timeout)
{
    send(frame);
    return awaitReply(length, awaited, clock_.now() + timeout);
}

Bytes BoardChannel::collect(const Bytes& frame, Clock::Duration wait)
{
    send(frame);
    clock_.pause(wait);
    return port_.readAll();
}

BoardChannel::Outcome BoardChannel::request(const Bytes& frame, std::size_t length, Awaited awaited,
                                            const Check& accept)
{
    Outcome outcome;
    while (outcome.failures < kMaxFailuresInRow) {
        if (!port_.isOpen()) {
            outcome.portClosed = true;
            return outcome;
        }
        Reply reply = exchange(frame, length, awaited);
        if (reply.arrived && (!accept || accept(reply.bytes))) {
            outcome.ok = true;
            outcome.reply = std::move(reply.bytes);
            return outcome;
        }
        ++outcome.failures;
    }
    outcome.portClosed = !port_.isOpen();
    return outcome;
}

BoardChannel::Outcome BoardChannel::writeShort(std::uint8_t id, std::uint16_t wireAddress,
                                               std::span<const std::uint8_t> data)
{
    return request(shortWrite(id, wireAddress, data), expectedReplyLength(kCmdShortWrite), Awaited::AtLeast);
}

BoardChannel::Outcome BoardChannel::writeVerifiedBlock(std::uint8_t id, std::uint16_t wireAddress,
                                                       std::span<const std::uint8_t> data)
{
    const auto sum = blockSum(data);
    return request(
        verifiedBlockWrite(id, wireAddress, data), expectedReplyLength(kCmdVerifiedWrite), Awaited::Exactly,
        [&sum](Bytes& reply) { return reply.size() == 2 && reply[0] == sum[0] && reply[1] == sum[1]; });
}

BoardChannel::Outcome BoardChannel::readChunk(std::uint8_t id, std::uint16_t wireAddress)
{
    // More bytes than the chunk and its checksum is a garbled reply.
    return request(chunkRead(id, wireAddress), expectedReplyLength(kCmdChunkRead), Awaited::AtLeast,
                   [](Bytes& reply) {
                       if (reply.size() != kChunkSize + 1)
                           return false;
                       const std::uint8_t sum = reply.back();
                       reply.pop_back();
                       return sum == frameChecksum(reply);
                   });
}

BoardChannel::Outcome BoardChannel::askVersion(std::uint8_t id)
{
    return request(versionRequest(id), expectedReplyLength(kCmdVersion), Awaited::AtLeast);
}

} // namespace emulink
