#include "MapFinder.h"

#include "SyntheticImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace skerrow {
namespace {

using Place = std::pair<std::int64_t, int>;

std::set<Place> topPlaces(const std::vector<MapCandidate>& candidates, std::size_t count)
{
    std::set<Place> places;
    for (std::size_t i = 0; i < std::min(count, candidates.size()); ++i)
        places.insert({candidates[i].address, candidates[i].size});
    return places;
}

TEST(SkerrowMapFinder, PlantedMapsAmongCodeAndNoiseRankFirst)
{
    const auto image = synthetic::plantedImage();
    const auto found = findMaps(image);
    ASSERT_GE(found.size(), 3u);
    EXPECT_EQ(topPlaces(found, 3), (std::set<Place>{{0x1235, 16}, {0x6A13, 16}, {0x9777, 8}}));
    // The two maps with an axis beside them lead.
    EXPECT_EQ(topPlaces(found, 2), (std::set<Place>{{0x1235, 16}, {0x9777, 8}}));
    EXPECT_LE(found.size(), 20u);
}

TEST(SkerrowMapFinder, MapsPlantedInRandomBytesAtOddAddressesAreFoundExactly)
{
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        auto image = synthetic::randomBytes(0x4000, seed);
        const std::size_t fuel = 0x0101 + seed * 0x333;
        const std::size_t timingMap = 0x2BCD - seed * 0x111;
        synthetic::plantFuelMap(image, fuel, 16, seed);
        synthetic::plantTimingMap(image, timingMap, 16, seed + 100);
        const auto found = findMaps(image);
        ASSERT_GE(found.size(), 2u) << seed;
        EXPECT_EQ(topPlaces(found, 2), (std::set<Place>{{static_cast<std::int64_t>(fuel), 16},
                                                        {static_cast<std::int64_t>(timingMap), 16}}))
            << seed;
    }
}

TEST(SkerrowMapFinder, MapsWithFlaggedCellsAreFoundAtTheirOwnAddress)
{
    // Bit 7 marks knock-controlled timing cells and closed-loop fuel cells; such blocks put a cliff
    // into the map, which must not push the best candidate off the map's own address.
    auto image = synthetic::codeLikeBytes(0x4000, 5);
    const std::size_t timingMap = 0x1F43;
    synthetic::plantTimingMap(image, timingMap, 16, 8);
    for (int r = 6; r < 16; ++r)
        for (int c = 6; c <= 12; ++c)
            image[timingMap + static_cast<std::size_t>(r * 16 + c)] |= 0x80;
    // Fuel values in the low seven bits, with a closed-loop block holding small corrections.
    const std::size_t fuel = 0x2A07;
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            image[fuel + static_cast<std::size_t>(r * 16 + c)] = static_cast<std::uint8_t>(
                r < 10 && c < 4 ? 0xC0 + (r + c) % 3 : 20 + 4 * c + 3 * r + (r * c) % 2);
    const auto found = findMaps(image);
    ASSERT_GE(found.size(), 2u);
    EXPECT_EQ(topPlaces(found, 2), (std::set<Place>{{static_cast<std::int64_t>(timingMap), 16},
                                                    {static_cast<std::int64_t>(fuel), 16}}));
}

TEST(SkerrowMapFinder, CandidatesNeverOverlapAndAreBestFirst)
{
    const auto found = findMaps(synthetic::plantedImage());
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (i > 0) {
            EXPECT_GE(found[i - 1].score, found[i].score);
        }
        for (std::size_t j = i + 1; j < found.size(); ++j) {
            const auto endI = found[i].address + found[i].size * found[i].size;
            const auto endJ = found[j].address + found[j].size * found[j].size;
            EXPECT_TRUE(endI <= found[j].address || endJ <= found[i].address) << i << " " << j;
        }
    }
}

TEST(SkerrowMapFinder, SlidingScoresEqualTheScoreOfEachTableAlone)
{
    const auto image = synthetic::plantedImage();
    for (const auto& candidate : findMaps(image))
        EXPECT_DOUBLE_EQ(candidate.score, scoreWindow(image, candidate.address, candidate.size))
            << candidate.address << " " << candidate.size;
}

TEST(SkerrowMapFinder, NoiseFillsAndFillBoundariesAreNoMaps)
{
    const auto noise = synthetic::randomBytes(0x2000, 42);
    for (const auto& candidate : findMaps(noise))
        EXPECT_LT(candidate.score, 20.0);

    std::vector<std::uint8_t> fills(0x400, 0x00);
    std::fill(fills.begin() + 0x200, fills.end(), std::uint8_t{0xFF});
    EXPECT_TRUE(findMaps(fills).empty());

    auto image = noise;
    synthetic::plantFuelMap(image, 0x777, 16, 1);
    EXPECT_GT(scoreWindow(image, 0x777, 16), 60.0);
    EXPECT_EQ(scoreWindow(image, 0x2000 - 255, 16), 0.0); // does not fit
}

TEST(SkerrowMapFinder, SmallImagesAndCountsAreHandled)
{
    EXPECT_TRUE(findMaps({}).empty());
    const auto tiny = synthetic::randomBytes(63, 1);
    EXPECT_TRUE(findMaps(tiny).empty());
    EXPECT_TRUE(findMaps(synthetic::plantedImage(), 0).empty());
    EXPECT_EQ(findMaps(synthetic::plantedImage(), 1).size(), 1u);
}

} // namespace
} // namespace skerrow
