#include "TableWalk.h"

#include "common/Numbers.h"

#include <algorithm>

namespace skerrow {

void TableWalk::setImage(std::vector<std::uint8_t> image)
{
    m_image = std::move(image);
    m_address = 0;
}

void TableWalk::setTableSize(int n)
{
    m_size = n == 8 ? 8 : 16;
}

void TableWalk::setAddress(std::int64_t address)
{
    m_address = std::max<std::int64_t>(0, address);
}

bool TableWalk::stepBack()
{
    if (m_address <= 0)
        return false;
    // An address typed off the table grid would go below 0 here; it stops at the image start.
    m_address = std::max<std::int64_t>(0, m_address - step());
    return true;
}

bool TableWalk::stepForward()
{
    if (imageSize() - step() > m_address) {
        m_address += step();
        return true;
    }
    return false;
}

bool TableWalk::jumpBack()
{
    if (m_address > longStep) {
        m_address -= longStep;
        return true;
    }
    return false;
}

bool TableWalk::jumpForward()
{
    if (imageSize() - longStep > m_address) {
        m_address += longStep;
        return true;
    }
    return false;
}

AddressEntry TableWalk::enterAddress(std::string_view text)
{
    const auto value = common::parseHex(text, 0xFFFFFFu);
    if (!value)
        return AddressEntry::NotHexadecimal;
    const auto typed = static_cast<std::int64_t>(*value);
    if (typed > imageSize()) {
        // A small image (below one table) would otherwise give a negative address.
        m_address = std::max<std::int64_t>(0, imageSize() - step());
        return AddressEntry::Clamped;
    }
    m_address = typed;
    return AddressEntry::Moved;
}

TableCut TableWalk::cut() const
{
    TableCut table;
    table.address = m_address;
    table.size = m_size;
    const std::int64_t size = imageSize();
    for (int k = 0; k < table.cellCount(); ++k) {
        const std::int64_t at = m_address + k;
        if (at >= 0 && at < size) {
            table.cells[static_cast<std::size_t>(k)] = m_image[static_cast<std::size_t>(at)];
            table.present[static_cast<std::size_t>(k)] = true;
        }
    }
    return table;
}

} // namespace skerrow
