#include "Frames.h"

#include <stdexcept>

namespace emulink {

namespace {

void appendAddress(Bytes& frame, std::uint16_t wireAddress)
{
    frame.push_back(static_cast<std::uint8_t>(wireAddress >> 8));
    frame.push_back(static_cast<std::uint8_t>(wireAddress & 0xFF));
}

Bytes& sealed(Bytes& frame)
{
    frame.push_back(frameChecksum(frame));
    return frame;
}

Bytes chunkFrame(std::uint8_t id, std::uint8_t command, std::uint16_t wireAddress,
                 std::span<const std::uint8_t> data)
{
    Bytes frame{kFrameStart, id, command, 0x00};
    frame.reserve(7 + data.size());
    appendAddress(frame, wireAddress);
    frame.insert(frame.end(), data.begin(), data.end());
    return sealed(frame);
}

Bytes configFrame(std::uint8_t selector, std::uint8_t value)
{
    Bytes frame{kConfigStart, 0x01, 0x01, selector, value};
    return sealed(frame);
}

} // namespace

std::uint8_t frameChecksum(std::span<const std::uint8_t> bytes)
{
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::array<std::uint8_t, 2> blockSum(std::span<const std::uint8_t> data)
{
    std::uint32_t sum = 0;
    for (std::uint8_t b : data)
        sum += b;
    return {static_cast<std::uint8_t>(sum & 0xFF), static_cast<std::uint8_t>((sum >> 8) & 0xFF)};
}

Bytes versionRequest(std::uint8_t id)
{
    Bytes frame{kFrameStart, id, kCmdVersion};
    return sealed(frame);
}

Bytes statusRequest(std::uint8_t id)
{
    Bytes frame{kFrameStart, id, kCmdStatus};
    return sealed(frame);
}

Bytes shortWrite(std::uint8_t id, std::uint16_t wireAddress, std::span<const std::uint8_t> data)
{
    if (data.empty() || data.size() > kMaxShortWrite)
        throw std::invalid_argument("a short write carries 1 to 255 data bytes");
    Bytes frame{kFrameStart, id, kCmdShortWrite, static_cast<std::uint8_t>(data.size())};
    frame.reserve(7 + data.size());
    appendAddress(frame, wireAddress);
    frame.insert(frame.end(), data.begin(), data.end());
    return sealed(frame);
}

Bytes chunkWrite(std::uint8_t id, std::uint16_t wireAddress, std::span<const std::uint8_t> data)
{
    return chunkFrame(id, kCmdChunkWrite, wireAddress, data);
}

Bytes chunkRead(std::uint8_t id, std::uint16_t wireAddress)
{
    return chunkFrame(id, kCmdChunkRead, wireAddress, {});
}

Bytes verifiedBlockWrite(std::uint8_t id, std::uint16_t wireAddress, std::span<const std::uint8_t> data)
{
    return chunkFrame(id, kCmdVerifiedWrite, wireAddress, data);
}

Bytes setEmulatorIdFrame(std::uint8_t newId)
{
    return configFrame(kConfigSetId, newId);
}

Bytes setPullFrame(std::uint8_t value)
{
    return configFrame(kConfigSetPull, value);
}

std::size_t expectedReplyLength(char command)
{
    switch (command) {
    case 'V':
        return 3;
    case 'S':
    case 'w':
    case 'W':
        return 1;
    case 'R':
        return kChunkSize + 1;
    case 'X':
        return 2;
    default:
        return 0;
    }
}

} // namespace emulink
