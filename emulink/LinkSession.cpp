#include "LinkSession.h"

#include <algorithm>

namespace emulink {

std::uint32_t capacityOfSizeCode(std::uint8_t code)
{
    return code == '1' ? kCapacity27C256 : kCapacity27C512;
}

bool LinkSession::setOnline(bool online)
{
    if (online == online_)
        return false;
    online_ = online;
    return true;
}

bool LinkSession::setFound(const FoundBoards& found)
{
    const int before = found_.count;
    found_ = found;
    found_.count = std::clamp(found.count, 0, 2);
    return found_.count != before;
}

bool LinkSession::isFound(std::uint8_t id) const
{
    const auto end = found_.ids.begin() + found_.count;
    return std::find(found_.ids.begin(), end, id) != end;
}

bool LinkSession::setCapacity(std::uint32_t capacity)
{
    if (capacity == capacity_)
        return false;
    capacity_ = capacity;
    return true;
}

std::optional<std::uint16_t> LinkSession::wireAddress(std::int64_t romAddress, std::size_t length) const
{
    const std::int64_t wire = romAddress + emulatorOffset();
    const std::int64_t end = wire + static_cast<std::int64_t>(std::max<std::size_t>(length, 1));
    if (wire < 0 || end > std::int64_t(capacity_) || end > 0x10000)
        return std::nullopt;
    return static_cast<std::uint16_t>(wire);
}

} // namespace emulink
