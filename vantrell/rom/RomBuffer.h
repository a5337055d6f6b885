// The editor's in-memory copy of the ECU's ROM image. Index = ROM address = offset in the image file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace vantrell {

class RomBuffer
{
public:
    RomBuffer() = default;

    // Makes the buffer `size` bytes long, every byte 0.
    void reset(std::size_t size) { bytes_.assign(size, 0); }
    void clear() { std::fill(bytes_.begin(), bytes_.end(), 0); }

    std::size_t size() const { return bytes_.size(); }
    bool contains(std::uint64_t address, std::uint64_t length = 1) const
    {
        return address + length <= bytes_.size();
    }

    // Reads outside the buffer give 0 and writes outside it are ignored: nothing is ever written
    // outside the ROM buffer.
    std::uint8_t at(std::uint64_t address) const { return contains(address) ? bytes_[address] : 0; }
    void set(std::uint64_t address, std::uint8_t value)
    {
        if (contains(address))
            bytes_[address] = value;
    }

    // The bytes from address on; empty when the range does not lie inside the buffer.
    std::span<const std::uint8_t> range(std::uint64_t address, std::uint64_t length) const
    {
        if (!contains(address, length))
            return {};
        return std::span<const std::uint8_t>(bytes_.data() + address, length);
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace vantrell
