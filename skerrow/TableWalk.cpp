#include "TableWalk.h"

#include "common/Numbers.h"

#include <algorithm>

namespace skerrow {

void TableWalk::setImage(std::vector<std::uint8_t> image)
{
    image_ = std::move(image);
    address_ = 0;
}

void TableWalk::setTableSize(int n)
{
    size_ = n == 8 ? 8 : 16;
}

void TableWalk::setAddress(std::int64_t address)
{
    address_ = std::max<std::int64_t>(0, address);
}

bool TableWalk::stepBack()
{
    if (address_ <= 0)
        return false;
    // An address typed off the table grid would go below 0 here; it stops at the image start.
    address_ = std::max<std::int64_t>(0, address_ - step());
    return true;
}

bool TableWalk::stepForward()
{
    if (imageSize() - step() > address_) {
        address_ += step();
        return true;
    }
    return false;
}

bool TableWalk::jumpBack()
{
    if (address_ > kLongStep) {
        address_ -= kLongStep;
        return true;
    }
    return false;
}

bool TableWalk::jumpForward()
{
    if (imageSize() - kLongStep > address_) {
        address_ += kLongStep;
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
        address_ = std::max<std::int64_t>(0, imageSize() - step());
        return AddressEntry::Clamped;
    }
    address_ = typed;
    return AddressEntry::Moved;
}

TableCut TableWalk::cut() const
{
    TableCut table;
    table.address = address_;
    table.size = size_;
    const std::int64_t size = imageSize();
    for (int k = 0; k < table.cellCount(); ++k) {
        // Measured from the end of the image: any address may be set, and address + k could overflow.
        if (address_ < size && k < size - address_) {
            table.cells[static_cast<std::size_t>(k)] = image_[static_cast<std::size_t>(address_ + k)];
            table.present[static_cast<std::size_t>(k)] = true;
        }
    }
    return table;
}

} // namespace skerrow
