#include "TableWalk.h"

#include "HexListing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <numeric>

namespace skerrow {
namespace {

std::vector<std::uint8_t> countingImage(std::size_t size)
{
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    return image;
}

TableWalk walkOver(std::size_t size, int n = 16)
{
    TableWalk walk;
    walk.setImage(countingImage(size));
    walk.setTableSize(n);
    return walk;
}

TEST(SkerrowTableWalk, StepForwardWalksWholeTablesAndStopsAtTheLastOne)
{
    TableWalk walk = walkOver(32768);
    int moves = 0;
    while (walk.stepForward())
        ++moves;
    EXPECT_EQ(moves, 127);
    EXPECT_EQ(walk.address(), 0x7F00);
    EXPECT_FALSE(walk.stepForward());
    EXPECT_EQ(walk.address(), 0x7F00);
}

TEST(SkerrowTableWalk, LongStepsKeepToTheirTests)
{
    TableWalk walk = walkOver(32768);
    walk.setAddress(0x7000);
    EXPECT_FALSE(walk.jumpForward()); // 0x8000 - 0x1000 is not greater than 0x7000
    EXPECT_EQ(walk.address(), 0x7000);
    walk.setAddress(0x6FFF);
    EXPECT_TRUE(walk.jumpForward());
    EXPECT_EQ(walk.address(), 0x7FFF);

    walk.setAddress(0x1000);
    EXPECT_FALSE(walk.jumpBack());
    EXPECT_EQ(walk.address(), 0x1000);
    walk.setAddress(0x1001);
    EXPECT_TRUE(walk.jumpBack());
    EXPECT_EQ(walk.address(), 1);
}

TEST(SkerrowTableWalk, StepBackStopsAtZeroFromAnAddressOffTheGrid)
{
    TableWalk walk = walkOver(32768);
    walk.setAddress(0x110);
    EXPECT_TRUE(walk.stepBack());
    EXPECT_EQ(walk.address(), 0x10);
    EXPECT_TRUE(walk.stepBack());
    EXPECT_EQ(walk.address(), 0);
    EXPECT_FALSE(walk.stepBack());
    EXPECT_EQ(walk.address(), 0);
}

TEST(SkerrowTableWalk, EightByEightStepsBySixtyFourBytes)
{
    TableWalk walk = walkOver(32768, 8);
    EXPECT_EQ(walk.step(), 64);
    EXPECT_TRUE(walk.stepForward());
    EXPECT_EQ(walk.address(), 64);
    const TableCut table = walk.cut();
    EXPECT_EQ(table.cellCount(), 64);
    EXPECT_EQ(table.cells[0], walk.image()[64]);
    EXPECT_EQ(table.cells[63], walk.image()[127]);
}

TEST(SkerrowTableWalk, TypedAddressesMoveClampOrAreRefused)
{
    TableWalk walk = walkOver(32768);
    EXPECT_EQ(walk.enterAddress("7ff0"), AddressEntry::Moved);
    EXPECT_EQ(walk.address(), 0x7FF0);
    EXPECT_EQ(walk.enterAddress("9000"), AddressEntry::Clamped);
    EXPECT_EQ(walk.address(), 0x7F00);
    EXPECT_EQ(walk.enterAddress("8000"), AddressEntry::Moved); // equal to the size stays
    EXPECT_EQ(walk.address(), 0x8000);

    walk.setAddress(0x1234);
    for (const char* bad : {"xyz", "", "$12", "12 34", "-5"}) {
        EXPECT_EQ(walk.enterAddress(bad), AddressEntry::NotHexadecimal) << bad;
        EXPECT_EQ(walk.address(), 0x1234) << bad;
    }
}

TEST(SkerrowTableWalk, TypedAddressOnAnImageSmallerThanATableClampsToZero)
{
    TableWalk walk = walkOver(100);
    EXPECT_EQ(walk.enterAddress("ffff"), AddressEntry::Clamped);
    EXPECT_EQ(walk.address(), 0);
}

TEST(SkerrowTableWalk, CutTakesCellsRowByRowAndZeroesCellsPastTheEnd)
{
    TableWalk walk = walkOver(32768);
    ASSERT_EQ(walk.enterAddress("7ff0"), AddressEntry::Moved);
    const TableCut table = walk.cut();
    EXPECT_EQ(table.address, 0x7FF0);
    for (int k = 0; k < 16; ++k) {
        EXPECT_TRUE(table.present[static_cast<std::size_t>(k)]);
        EXPECT_EQ(table.cells[static_cast<std::size_t>(k)],
                  walk.image()[static_cast<std::size_t>(0x7FF0 + k)]);
    }
    for (int k = 16; k < 256; ++k) {
        EXPECT_FALSE(table.present[static_cast<std::size_t>(k)]);
        EXPECT_EQ(table.cells[static_cast<std::size_t>(k)], 0);
    }
}

// Found by the scanner's fuzz target: any address may be set, and the cut and the listing at the
// largest one computed address + offset, which overflowed.
TEST(SkerrowTableWalk, CutAtTheLargestAddressHoldsNoCells)
{
    TableWalk walk = walkOver(32768);
    walk.setAddress(std::numeric_limits<std::int64_t>::max());
    const TableCut table = walk.cut();
    EXPECT_EQ(table.address, std::numeric_limits<std::int64_t>::max());
    for (int k = 0; k < 256; ++k) {
        EXPECT_FALSE(table.present[static_cast<std::size_t>(k)]);
        EXPECT_EQ(table.cells[static_cast<std::size_t>(k)], 0);
    }
    EXPECT_EQ(listingLine(table, 15).substr(0, 7), "$00EF: ");
}

TEST(SkerrowTableWalk, AcceptsImagesFromOneByteToSixteenMebibytes)
{
    EXPECT_FALSE(TableWalk::acceptsImageSize(0));
    EXPECT_TRUE(TableWalk::acceptsImageSize(1));
    EXPECT_TRUE(TableWalk::acceptsImageSize(16 * 1024 * 1024));
    EXPECT_FALSE(TableWalk::acceptsImageSize(16 * 1024 * 1024 + 1));
}

} // namespace
} // namespace skerrow
