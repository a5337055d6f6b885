#include "MapFinder.h"

#include "FinderCorpus.h"
#include "SyntheticImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
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

int rankOf(const std::vector<MapCandidate>& found, std::int64_t address)
{
    for (std::size_t i = 0; i < found.size(); ++i)
        if (found[i].address == address && found[i].size == 16)
            return static_cast<int>(i);
    return static_cast<int>(found.size());
}

// The small images of the corpus (8192 bytes: both calibration placements, maps back to back and
// apart, on 256- and on 16-byte boundaries, flagged fuel and timing maps, 8-bit and 16-bit axes
// away from their maps, code-like streams) are found as a user needs them found.
TEST(SkerrowMapFinder, EveryPlantedMapOfTheSmallCorpusImagesLeadsWithItsKindAndAxes)
{
    for (int index = 0; index < synthetic::kCorpusImageCount; index += 3) {
        const synthetic::CorpusImage corpus = synthetic::corpusImage(index);
        ASSERT_EQ(corpus.bytes.size(), 8192u) << index;
        const synthetic::CorpusTruth truth = synthetic::parseCorpusTruth(corpus.truth);
        ASSERT_TRUE(truth.ok) << index;
        const auto found = findMaps(corpus.bytes);
        const auto k = static_cast<int>(truth.maps.size());
        int worstRank = 0;
        for (const auto& map : truth.maps) {
            const int rank = rankOf(found, map.address);
            ASSERT_LT(rank, k) << "image " << index << " map " << map.address;
            worstRank = std::max(worstRank, rank);
            const MapCandidate& c = found[static_cast<std::size_t>(rank)];
            EXPECT_EQ(c.kind, map.fuel ? MapKind::Fuel : MapKind::Timing) << index << " " << map.address;
            EXPECT_EQ(c.rowAxis.address, map.rpmAxis) << index << " " << map.address;
            EXPECT_EQ(c.columnAxis.address, map.loadAxis) << index << " " << map.address;
            EXPECT_EQ(c.rowAxis.width, truth.axes.front().bits / 8) << index;
        }
        // Nothing from the code stream stands among them.
        for (int i = 0; i < worstRank; ++i)
            EXPECT_FALSE(found[static_cast<std::size_t>(i)].address >= truth.codeStart &&
                         found[static_cast<std::size_t>(i)].address < truth.codeEnd)
                << index << " " << found[static_cast<std::size_t>(i)].address;
    }
}

// Two maps back to back at very different levels: every window that holds the end of one and the
// start of the other scores below both, however smooth its two parts are. (The packed images have a
// map with hand-tuned idle rows that scores below windows a few rows into it on purpose.)
TEST(SkerrowMapFinder, WindowsStraddlingMapsBackToBackScoreBelowBothMaps)
{
    int pairsSeen = 0;
    for (int index = 0; index < synthetic::kLooseImageCount; index += 3) {
        const synthetic::CorpusImage corpus = synthetic::corpusImage(index);
        const auto truth = synthetic::parseCorpusTruth(corpus.truth);
        for (const auto& first : truth.maps) {
            for (const auto& second : truth.maps) {
                if (second.address != first.address + 256)
                    continue;
                ++pairsSeen;
                const double lower = std::min(scoreWindow(corpus.bytes, first.address, 16),
                                              scoreWindow(corpus.bytes, second.address, 16));
                for (std::int64_t a = first.address + 1; a < second.address; ++a)
                    ASSERT_LT(scoreWindow(corpus.bytes, a, 16), lower)
                        << "image " << index << " window " << a << " between " << first.address;
            }
        }
    }
    EXPECT_GE(pairsSeen, 5);
}

// A surface of 17 smooth rows holds two 16-row windows of the same smoothness; the one on a
// 256-byte boundary is the map, whichever side the extra row lies on.
TEST(SkerrowMapFinder, AmongEquallySmoothWindowsTheOneOn256BytesWins)
{
    struct Case
    {
        std::size_t surfaceStart;
        std::int64_t expected;
    };
    for (const Case& c : {Case{0x0FF0, 0x1000}, Case{0x1000, 0x1000}}) {
        auto image = synthetic::codeLikeBytes(0x2000, 4);
        for (int r = 0; r < 17; ++r)
            for (int col = 0; col < 16; ++col)
                image[c.surfaceStart + static_cast<std::size_t>(16 * r + col)] =
                    static_cast<std::uint8_t>(10 + 2 * r + 4 * col);
        const auto found = findMaps(image, 3);
        ASSERT_FALSE(found.empty());
        EXPECT_EQ(found[0].address, c.expected) << c.surfaceStart;
        EXPECT_EQ(found[0].size, 16);
        // The content alone scores the same; only the boundary tells them apart.
        EXPECT_NEAR(scoreWindow(image, 0x1000, 16) -
                        scoreWindow(image, c.surfaceStart == 0x1000 ? 0x1010 : 0x0FF0, 16),
                    1.5, 1e-9);
    }
}

// Each kind is told by how its flagged cells read smoothly.
TEST(SkerrowMapFinder, KindsFollowHowTheFlaggedCellsRead)
{
    struct Case
    {
        const char* what;
        int (*cell)(int r, int c);
        MapKind kind;
    };
    const Case cases[] = {
        // Closed-loop cells hold b - 192: a flagged 194 next to an unflagged 4 is smooth.
        {"flagged fuel", [](int r, int c) { return (r < 8 && c < 4 ? 192 : 0) + 2 + r / 2 + c * 6; },
         MapKind::Fuel},
        // Knock-controlled timing cells keep their advance in the low seven bits.
        {"knock timing", [](int r, int c) { return (10 + r * 2 - c / 2) | (r >= 9 && c >= 8 ? 0x80 : 0); },
         MapKind::Timing},
        {"plain timing", [](int r, int c) { return 8 + r + c / 2; }, MapKind::Timing},
        {"smooth but high", [](int r, int c) { return 64 + 2 * r + 2 * c; }, MapKind::Other},
    };
    for (const Case& c : cases) {
        auto image = synthetic::codeLikeBytes(0x1000, 9);
        for (int r = 0; r < 16; ++r)
            for (int col = 0; col < 16; ++col)
                image[0x0400 + static_cast<std::size_t>(16 * r + col)] =
                    static_cast<std::uint8_t>(c.cell(r, col));
        const WindowJudgement j = judgeWindow(image, 0x0400, 16);
        EXPECT_GT(j.score, 80.0) << c.what;
        EXPECT_EQ(j.kind, c.kind) << c.what;
    }
}

TEST(SkerrowMapFinder, AMapSeenARowOrAFewBytesAsideScoresFarBelowTheMap)
{
    const synthetic::CorpusImage corpus = synthetic::corpusImage(0);
    const auto truth = synthetic::parseCorpusTruth(corpus.truth);
    for (const auto& map : truth.maps) {
        const double own = scoreWindow(corpus.bytes, map.address, 16);
        EXPECT_GT(own, 80.0) << map.address;
        for (const std::int64_t aside : {-32, -16, -3, 1, 7, 16, 32})
            EXPECT_LT(scoreWindow(corpus.bytes, map.address + aside, 16), own - 20.0)
                << map.address << " " << aside;
    }
}

TEST(SkerrowMapFinder, PlantedMapsAmongCodeAndNoiseRankFirst)
{
    const auto image = synthetic::plantedImage();
    const auto found = findMaps(image);
    ASSERT_GE(found.size(), 3u);
    EXPECT_EQ(topPlaces(found, 3), (std::set<Place>{{0x1235, 16}, {0x6A13, 16}, {0x9777, 8}}));
    // An 8x8 table counts for less than a 16x16 one as smooth.
    EXPECT_EQ(topPlaces(found, 2), (std::set<Place>{{0x1235, 16}, {0x6A13, 16}}));
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
    for (const auto& image : {synthetic::plantedImage(), synthetic::corpusImage(4).bytes}) {
        const auto found = findMaps(image);
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
}

TEST(SkerrowMapFinder, ListedScoresAndKindsAreThoseOfEachTableAlone)
{
    const auto image = synthetic::corpusImage(1).bytes;
    for (const auto& candidate : findMaps(image)) {
        const WindowJudgement alone = judgeWindow(image, candidate.address, candidate.size);
        EXPECT_DOUBLE_EQ(candidate.score, alone.score) << candidate.address << " " << candidate.size;
        EXPECT_EQ(candidate.kind, alone.kind) << candidate.address;
        EXPECT_EQ(candidate.flaggedCells, alone.flaggedCells) << candidate.address;
    }
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
    EXPECT_EQ(scoreWindow(image, -1, 16), 0.0);
    EXPECT_EQ(scoreWindow(image, 0x777, 12), 0.0); // only 8 and 16 are table sizes
}

TEST(SkerrowMapFinder, SmallImagesAndCountsAreHandled)
{
    EXPECT_TRUE(findMaps({}).empty());
    const auto tiny = synthetic::randomBytes(63, 1);
    EXPECT_TRUE(findMaps(tiny).empty());
    EXPECT_TRUE(findMaps(synthetic::plantedImage(), 0).empty());
    EXPECT_EQ(findMaps(synthetic::plantedImage(), 1).size(), 1u);
    // Images just big enough for one table of each size, ending in a rising run cut short: every
    // window, line and run stays inside the image.
    for (const std::size_t size : {64u, 65u, 255u, 256u, 257u, 271u}) {
        std::vector<std::uint8_t> image(size);
        for (std::size_t i = 0; i < size; ++i)
            image[i] = static_cast<std::uint8_t>(i < size - 20 ? (i * 7) % 100 : 100 + (i % 20) * 7);
        for (const auto& c : findMaps(image))
            EXPECT_LE(c.address + c.size * c.size, static_cast<std::int64_t>(size)) << size;
    }
}

// Found by the scanner's fuzz target: the fit test added the table's cells to the address, which
// overflowed at the largest one.
TEST(SkerrowMapFinder, WindowAtTheLargestAddressDoesNotFit)
{
    const auto image = synthetic::randomBytes(0x2000, 1);
    EXPECT_EQ(scoreWindow(image, std::numeric_limits<std::int64_t>::max(), 16), 0.0);
    EXPECT_EQ(scoreWindow(image, std::numeric_limits<std::int64_t>::max() - 63, 8), 0.0);
}

// The images packed as real units pack them: axes right before their maps (a window that starts on
// them and runs into the map competes with the map) and maps followed by rows that carry them on
// (a window shifted into the map by whole rows outranks it). Every planted map is listed at its
// own address among the first k, and no listed table holds a row of the planted axes.
TEST(SkerrowMapFinder, PackedImagesListEveryMapAtItsAddressAndNoTableOverTheAxes)
{
    int axesCompete = 0;
    int shiftsOutrank = 0;
    for (int index = synthetic::kLooseImageCount; index < synthetic::kCorpusImageCount; ++index) {
        const synthetic::CorpusImage corpus = synthetic::corpusImage(index);
        const synthetic::CorpusTruth truth = synthetic::parseCorpusTruth(corpus.truth);
        ASSERT_TRUE(truth.ok) << index;
        for (const auto& map : truth.maps) {
            const double own = scoreWindow(corpus.bytes, map.address, 16);
            const bool axesBefore = std::any_of(truth.axes.begin(), truth.axes.end(), [&](const auto& a) {
                return a.bits == 8 && a.address + 16 == map.address;
            });
            if (axesBefore && std::max(scoreWindow(corpus.bytes, map.address - 16, 16),
                                       scoreWindow(corpus.bytes, map.address - 32, 16)) > 0.75 * own)
                ++axesCompete;
            if (scoreWindow(corpus.bytes, map.address + 32, 16) > own)
                ++shiftsOutrank;
        }

        const auto found = findMaps(corpus.bytes);
        const auto k = static_cast<int>(truth.maps.size());
        for (const auto& map : truth.maps)
            EXPECT_LT(rankOf(found, map.address), k) << "image " << index << " map " << map.address;
        for (const MapCandidate& c : found)
            for (const auto& axis : truth.axes)
                for (int r = 0; r < c.size; ++r) {
                    const std::int64_t row = c.address + static_cast<std::int64_t>(r) * c.size;
                    EXPECT_FALSE(row >= axis.address && row + c.size <= axis.address + 2 * axis.bits)
                        << "image " << index << " table " << c.address << " row " << r;
                }
    }
    // The patterns are there to be judged.
    EXPECT_GE(axesCompete, 3);
    EXPECT_GE(shiftsOutrank, 3);
}

// A map whose own rows rise like axes (two of its last rows here) is no axes-and-map window: the
// tables beside those rows are straddles, so it stays listed at its address.
TEST(SkerrowMapFinder, AMapWhoseRowsRiseLikeAxesStaysAMap)
{
    const synthetic::CorpusImage corpus = synthetic::corpusImage(26);
    const std::int64_t map = 0x7900;
    const auto axes = findAxes(corpus.bytes);
    const auto inMap = std::count_if(axes.begin(), axes.end(), [&](const AxisRun& a) {
        return a.address >= map && a.address + a.bytes() <= map + 256;
    });
    ASSERT_GE(inMap, 1);
    const auto found = findMaps(corpus.bytes);
    EXPECT_LT(rankOf(found, map), 3);
}

} // namespace
} // namespace skerrow
