#include "HexListing.h"

#include <gtest/gtest.h>

namespace skerrow {
namespace {

TEST(SkerrowHexListing, RowLineHasAddressBytesBarAndCharacters)
{
    TableCut table;
    table.address = 0x1F00;
    table.size = 16;
    const std::uint8_t row[16] = {0x41, 0x42, 0x00, 0x7F, 0x20, 0x7E, 0x30, 0x31,
                                  0x0A, 0xFF, 0x80, 0xA0, 0xC4, 0x61, 0x62, 0x63};
    for (int c = 0; c < 16; ++c) {
        table.cells[static_cast<std::size_t>(c)] = row[c];
        table.present[static_cast<std::size_t>(c)] = true;
    }
    EXPECT_EQ(listingLine(table, 0), "$1F00: 41 42 00 7F 20 7E 30 31 0A FF 80 A0 C4 61 62 63  | "
                                     "AB.. ~01.\xC3\xBF..\xC3\x84"
                                     "abc");
}

TEST(SkerrowHexListing, EightByEightRowsAreEightBytesAndEightApart)
{
    TableCut table;
    table.address = 0x40;
    table.size = 8;
    for (int k = 0; k < 64; ++k) {
        table.cells[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>('a' + k % 26);
        table.present[static_cast<std::size_t>(k)] = true;
    }
    EXPECT_EQ(listingLine(table, 0), "$0040: 61 62 63 64 65 66 67 68  | abcdefgh");
    EXPECT_EQ(listingLine(table, 7), "$0078: 65 66 67 68 69 6A 6B 6C  | efghijkl");
}

TEST(SkerrowHexListing, CellsPastTheEndShowAsDashesAndBlanks)
{
    TableCut table;
    table.address = 0x12345;
    table.size = 8;
    table.cells[0] = 0x41;
    table.present[0] = true;
    EXPECT_EQ(listingLine(table, 0), "$12345: 41 -- -- -- -- -- -- --  | A       ");
}

} // namespace
} // namespace skerrow
