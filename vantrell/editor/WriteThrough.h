// The editor's way out to the boards, behind a small interface so the core and the pages can be
// driven by tests.
#pragma once

#include <cstdint>
#include <span>

namespace vantrell {

// Sends bytes that the ROM buffer already holds to every found board while the link is online.
// While offline it sends nothing. It never fails to the caller: a board that does not answer takes
// the link offline (with its own status lines), after which every call returns at once.
class WriteThrough
{
  public:
    virtual ~WriteThrough() = default;
    virtual bool isOnline() const = 0;
    virtual void writeThrough(std::uint32_t romAddress, std::span<const std::uint8_t> bytes) = 0;
};

} // namespace vantrell
