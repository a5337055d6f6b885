// Our own synthetic ROM images for the scanner's tests, benchmark and gallery: random bytes,
// bytes that look like machine code, fills, and smooth maps with rising axes planted among them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skerrow::synthetic {

// Bytes from a fixed pseudo-random sequence (the same on every platform).
std::vector<std::uint8_t> randomBytes(std::size_t count, std::uint32_t seed);

// Bytes shaped like 8-bit machine code: opcodes from a small set, each followed by no operand, a
// one-byte operand or a two-byte address high byte first.
std::vector<std::uint8_t> codeLikeBytes(std::size_t count, std::uint32_t seed);

// A smooth fuel-like n x n map written at `address`: values rise along rows and columns with a
// little noise, as a fuel map over engine speed and load does.
void plantFuelMap(std::vector<std::uint8_t>& image, std::size_t address, int n, std::uint32_t seed);

// A smooth timing-like map (values about 8 to 45, rising gently) written at `address`.
void plantTimingMap(std::vector<std::uint8_t>& image, std::size_t address, int n, std::uint32_t seed);

// A strictly rising run of n bytes written at `address`, like a map axis (speed or load points).
void plantAxis(std::vector<std::uint8_t>& image, std::size_t address, int n);

// A 64 KiB image: code-like bytes, a fill, random data, with a 16x16 fuel map and its axis at 0x1235,
// a 16x16 timing map at 0x6A13 and an 8x8 fuel map followed by an axis at 0x9777.
std::vector<std::uint8_t> plantedImage();

} // namespace skerrow::synthetic
