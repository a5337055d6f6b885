#include "HexListing.h"

#include "common/Numbers.h"

namespace skerrow {

std::string listingCharacter(std::uint8_t b)
{
    // Control codes (C0, DEL, C1), the no-break space and the soft hyphen would break or hide the
    // column; everything else in Latin-1 has a glyph of its own.
    if (b < 0x20 || (b >= 0x7F && b <= 0xA0) || b == 0xAD)
        return ".";
    if (b < 0x80)
        return std::string(1, static_cast<char>(b));
    std::string utf8;
    utf8 += static_cast<char>(0xC0 | (b >> 6));
    utf8 += static_cast<char>(0x80 | (b & 0x3F));
    return utf8;
}

std::string listingLine(const TableCut& table, int row)
{
    const int n = table.size;
    // Unsigned, so a cut at any address lists without overflow; the address shows as 32 bits as before.
    const std::uint64_t rowAddress =
        static_cast<std::uint64_t>(table.address) + static_cast<std::uint64_t>(row * n);
    std::string line = "$" + common::hexTextPadded(static_cast<std::uint32_t>(rowAddress), 4) + ": ";
    for (int c = 0; c < n; ++c) {
        const auto k = static_cast<std::size_t>(row * n + c);
        line += table.present[k] ? common::hexTextPadded(table.cells[k], 2) : std::string("--");
        line += ' ';
    }
    line += " | ";
    for (int c = 0; c < n; ++c) {
        const auto k = static_cast<std::size_t>(row * n + c);
        line += table.present[k] ? listingCharacter(table.cells[k]) : std::string(" ");
    }
    return line;
}

} // namespace skerrow
