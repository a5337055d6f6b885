// Wire frames of the emulator boards and their two checksums.
//
// Every frame ends in a one-byte checksum: the sum of all bytes before it, modulo 256. Addressed frames
// start with 'A' and the board ID; the two configuration frames start with 'e' and carry no ID, so
// every board on the line takes them. Addresses on the wire are 16 bits, high byte first; the chunk
// commands put a 0x00 byte in front of them. The builders below only assemble bytes: no I/O, no state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace emulink {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kFrameStart = 'A';  // start of an addressed frame
inline constexpr std::uint8_t kConfigStart = 'e'; // start of a configuration frame
inline constexpr std::uint8_t kCmdVersion = 'V';
inline constexpr std::uint8_t kCmdStatus = 'S';
inline constexpr std::uint8_t kCmdShortWrite = 'w';
inline constexpr std::uint8_t kCmdChunkWrite = 'W';
inline constexpr std::uint8_t kCmdChunkRead = 'R';
inline constexpr std::uint8_t kCmdVerifiedWrite = 'X';
inline constexpr std::uint8_t kConfigSetId = 0xFD;   // selector byte of the set-ID frame
inline constexpr std::uint8_t kConfigSetPull = 0xFF; // selector byte of the set-pull frame

inline constexpr std::uint8_t kPullHard = 0x00, kPullSoft = 0xFF;

// Bytes in one chunk (chunk write, chunk read, verified block write).
inline constexpr std::size_t kChunkSize = 256;
// Most data bytes one short write carries (its count is one byte).
inline constexpr std::size_t kMaxShortWrite = 255;

// The short writes a range of `length` bytes goes to the boards in, in address order: pieces of at most
// kMaxShortWrite bytes, as (offset into the range, length).
inline std::vector<std::pair<std::size_t, std::size_t>> shortWritePieces(std::size_t length)
{
    std::vector<std::pair<std::size_t, std::size_t>> pieces;
    for (std::size_t offset = 0; offset < length; offset += kMaxShortWrite)
        pieces.emplace_back(offset, length - offset < kMaxShortWrite ? length - offset : kMaxShortWrite);
    return pieces;
}

// Sum of the bytes modulo 256.
std::uint8_t frameChecksum(std::span<const std::uint8_t> bytes);

// Sum of the bytes modulo 65536, as two bytes, low byte first (256 x 0xFF gives {0x00, 0xFF}).
std::array<std::uint8_t, 2> blockSum(std::span<const std::uint8_t> data);

// 'A' id 'V' C. Reply: major, minor, size code ('1' = 0x8000 bytes, anything else 0x10000).
Bytes versionRequest(std::uint8_t id);

// 'A' id 'S' C. Reply: one byte.
Bytes statusRequest(std::uint8_t id);

// 'A' id 'w' N high low data C. Reply: one byte.
// Precondition: 1..255 data bytes; any other count throws std::invalid_argument (a count byte that
// wrapped would make the board take a different frame than the one meant).
Bytes shortWrite(std::uint8_t id, std::uint16_t wireAddress, std::span<const std::uint8_t> data);

// 'A' id 'W' 00 high low data C. Reply: one byte. The frame carries no length; boards take 256 bytes.
Bytes chunkWrite(std::uint8_t id, std::uint16_t wireAddress, std::span<const std::uint8_t> data);

// 'A' id 'R' 00 high low C. Reply: 256 data bytes and their frameChecksum.
Bytes chunkRead(std::uint8_t id, std::uint16_t wireAddress);

// 'A' id 'X' 00 high low data C. Reply: blockSum(data), low byte first.
Bytes verifiedBlockWrite(std::uint8_t id, std::uint16_t wireAddress, std::span<const std::uint8_t> data);

// 'e' 01 01 FD id C. Taken by every board on the line.
Bytes setEmulatorIdFrame(std::uint8_t newId);

// 'e' 01 01 FF value C (kPullHard or kPullSoft). Taken by every board on the line.
Bytes setPullFrame(std::uint8_t value);

// Reply length the host waits for after an addressed frame with this command letter:
// 'V' 3, 'S' 1, 'w' 1, 'W' 1, 'R' 257, 'X' 2; 0 for any other letter.
std::size_t expectedReplyLength(char command);

} // namespace emulink
