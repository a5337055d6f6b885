// The editor's in-memory copy of the ECU's ROM image. Index = ROM address = offset in the image file.
// Read-only to everyone but the document that owns it (RomDocument): every change goes through the
// document's one mutator, so the boards, the views and the history all hear of it.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace vantrell {

class RomDocument;

class RomBuffer
{
  public:
    RomBuffer() = default;
    // A buffer holding exactly these bytes (for tests and for pictures of a map outside the editor).
    explicit RomBuffer(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t size() const { return bytes_.size(); }
    bool contains(std::uint64_t address, std::uint64_t length = 1) const
    {
        return address <= bytes_.size() && length <= bytes_.size() - address;
    }

    // Reads outside the buffer give 0.
    std::uint8_t at(std::uint64_t address) const { return contains(address) ? bytes_[address] : 0; }

    // The bytes from address on; empty when the range does not lie inside the buffer.
    std::span<const std::uint8_t> range(std::uint64_t address, std::uint64_t length) const
    {
        if (!contains(address, length))
            return {};
        return std::span<const std::uint8_t>(bytes_.data() + address, length);
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  private:
    friend class RomDocument;
    std::vector<std::uint8_t> bytes_;
};

} // namespace vantrell
