#include "vantrell/compare/ReferenceCompare.h"

#include "vantrell/document/tests/DocumentTestSupport.h"
#include "vantrell/tools/core/tests/ToolTestSupport.h"

#include <gtest/gtest.h>

namespace vantrell {
namespace {

using vantrell::testing::demoLikeState;
using vantrell::testing::poke;

TEST(ReferenceCompare, ListsTheDifferencesByTableAndFollowsTheBuffer)
{
    EditorState s = demoLikeState(); // maps at 0x7000.., axes at 0x7400.., K at 0x7440
    ReferenceCompare compare(s.rom);
    std::vector<std::uint8_t> reference = s.rom.bytes();
    for (std::uint32_t a : {0x7000u, 0x7011u, 0x7022u}) // three cells of the main fuel map
        reference[a] ^= 1;
    reference[0x7412] ^= 1; // fuelflow, one byte
    reference[0x7440] ^= 1; // kval, both bytes
    reference[0x7441] ^= 1;
    for (std::uint32_t a = 0x1234; a <= 0x1240; ++a) // no table
        reference[a] ^= 1;
    reference[0x0100] ^= 1;
    compare.start("stock.bin", reference);

    const std::vector<std::string> expected = {"Compared with stock.bin: 20 bytes differ",
                                               "Main Fuel Map 3 cells",
                                               "fuelflow 1 byte",
                                               "kval 2 bytes",
                                               "other 0x0100",
                                               "other 0x1234-0x1240"};
    EXPECT_EQ(compare.listing(namedTables(s)), expected);
    EXPECT_TRUE(compare.differsAt(0x7011));
    EXPECT_EQ(compare.referenceAt(0x7011), reference[0x7011]);

    // An edit that makes a byte equal to the reference takes it out; the revert puts back the rest.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> told;
    compare.setChangedCallback([&told](std::uint32_t a, std::uint32_t n) { told.emplace_back(a, n); });
    poke(s.rom, 0x7000, reference[0x7000]);
    EXPECT_FALSE(compare.differsAt(0x7000));
    EXPECT_EQ(compare.differenceCount(), 19u);
    EXPECT_EQ(told, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0x7000, 1}}));
    const auto revert = compare.revertStep({0x7011, 0x7022, 0x7033}, "revert of 3 cells on Main Fuel Map");
    ASSERT_TRUE(revert && s.rom.apply(*revert));
    EXPECT_EQ(compare.differenceCount(), 17u);
    EXPECT_EQ(revert->changes.size(), 3u); // the unchanged cell is rewritten too, as the keys do
}

TEST(ReferenceCompare, AShorterReferenceComparesOnlyWhatItHasAndSaysSo)
{
    EditorState s = demoLikeState();
    ReferenceCompare compare(s.rom);
    std::vector<std::uint8_t> reference(s.rom.bytes().begin(), s.rom.bytes().begin() + 0x4000);
    reference[5] ^= 0xFF;
    compare.start("short.bin", reference);
    EXPECT_EQ(compare.comparedSize(), 0x4000u);
    EXPECT_EQ(compare.listing({}),
              (std::vector<std::string>{
                  "Compared with short.bin: 1 byte differs",
                  "short.bin holds 16384 bytes: only the first 16384 of 32768 bytes were compared",
                  "other 0x0005"}));
    EXPECT_FALSE(compare.referenceAt(0x4000));
    EXPECT_FALSE(compare.revertStep({0x4000}, "revert"));

    compare.stop();
    EXPECT_FALSE(compare.active());
    EXPECT_FALSE(compare.differsAt(5));
}

} // namespace
} // namespace vantrell
