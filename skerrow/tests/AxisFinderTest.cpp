#include "AxisFinder.h"

#include "MapFinder.h"
#include "SyntheticImages.h"

#include <gtest/gtest.h>

namespace skerrow {
namespace {

void put(std::vector<std::uint8_t>& image, std::size_t at, const std::vector<int>& values, int width)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (width == 2) {
            image[at + 2 * i] = static_cast<std::uint8_t>(values[i] >> 8);
            image[at + 2 * i + 1] = static_cast<std::uint8_t>(values[i] & 0xFF);
        } else {
            image[at + i] = static_cast<std::uint8_t>(values[i]);
        }
    }
}

std::vector<int> rising(int count, int first, int step)
{
    std::vector<int> v;
    for (int i = 0; i < count; ++i)
        v.push_back(first + i * step);
    return v;
}

TEST(SkerrowAxisFinder, RunsOfSixteenRisingValuesAreAxes)
{
    struct Case
    {
        const char* what;
        std::size_t at;
        std::vector<int> values;
        int width;
        std::vector<AxisRun> expected;
    };
    const Case cases[] = {
        {"16 bytes", 0x105, rising(16, 10, 7), 1, {{0x105, 1}}},
        {"15 bytes are too few", 0x105, rising(15, 10, 7), 1, {}},
        {"15 rising and an erased byte",
         0x105,
         {10, 17, 24, 31, 38, 45, 52, 59, 66, 73, 80, 87, 94, 101, 108, 255},
         1,
         {}},
        {"a curve of 24 is no axis", 0x105, rising(24, 10, 7), 1, {}},
        {"rising by less than 24", 0x105, rising(16, 10, 1), 1, {}},
        // A smaller value before it: the axis starts on the 16-byte boundary.
        {"17 with a boundary", 0x10F, rising(17, 10, 7), 1, {{0x110, 1}}},
        // No boundary inside: the axis does not end in an erased byte.
        {"17 ending in 0xFF",
         0x103,
         {10, 17, 24, 31, 38, 45, 52, 59, 66, 73, 80, 87, 94, 101, 108, 115, 255},
         1,
         {{0x103, 1}}},
        {"16-bit, even address", 0x120, rising(16, 800, 400), 2, {{0x120, 2}}},
        {"16-bit, odd address", 0x121, rising(16, 800, 400), 2, {{0x121, 2}}},
        {"16-bit curve of 64", 0x100, rising(64, 0, 900), 2, {}},
    };
    for (const Case& c : cases) {
        // A background that neither continues a run before it nor after it.
        std::vector<std::uint8_t> image(0x300, 50);
        put(image, c.at, c.values, c.width);
        EXPECT_EQ(findAxes(image), c.expected) << c.what;
    }
}

TEST(SkerrowAxisFinder, AxesAtTheImageEdgesAndValuesOfEachWidth)
{
    std::vector<std::uint8_t> image(48, 0x00);
    put(image, 0, rising(16, 20, 5), 1);
    put(image, 16, rising(16, 300, 50), 2);
    const auto axes = findAxes(image);
    ASSERT_EQ(axes, (std::vector<AxisRun>{{0, 1}, {16, 2}}));
    EXPECT_EQ(axisValues(image, axes[1]), rising(16, 300, 50));
    EXPECT_TRUE(axisValues(image, {40, 1}).empty()); // reaches past the end
    EXPECT_TRUE(axisValues(image, {}).empty());
}

// A map sampled at uneven axis points changes more where its axes step further; the pair whose
// spacing it follows fits, not the pair stored nearer to it.
TEST(SkerrowAxisFinder, ThePairWhoseSpacingTheMapFollowsFitsBest)
{
    std::vector<std::uint8_t> image(0x800, 0xFF);
    const std::vector<int> evenRpm = rising(16, 20, 7);
    const std::vector<int> evenLoad = rising(16, 10, 6);
    const std::vector<int> unevenRpm = {16, 18, 21, 25, 30, 36, 43, 51, 60, 70, 81, 93, 106, 120, 135, 140};
    const std::vector<int> unevenLoad = {10, 11, 13, 16, 20, 25, 31, 38, 46, 55, 65, 76, 88, 101, 110, 117};
    put(image, 0x0100, evenRpm, 1);
    put(image, 0x0110, evenLoad, 1);
    put(image, 0x0600, unevenRpm, 1);
    put(image, 0x0610, unevenLoad, 1);
    std::vector<double> rows;
    std::vector<double> columns;
    for (int i = 0; i < 16; ++i) {
        rows.push_back(unevenRpm[static_cast<std::size_t>(i)] * 0.5);
        columns.push_back(unevenLoad[static_cast<std::size_t>(i)] * unevenLoad[static_cast<std::size_t>(i)] /
                          200.0);
    }
    const auto axes = findAxes(image);
    const AxisPair best = bestAxesFor(image, axes, 0x0200, rows, columns);
    EXPECT_EQ(best.rows, (AxisRun{0x0600, 1}));
    EXPECT_EQ(best.columns, (AxisRun{0x0610, 1}));
    // With one axis there is no pair.
    EXPECT_FALSE(bestAxesFor(image, {axes.front()}, 0x0200, rows, columns).rows.found());
}

// Where the maps do not tell their axes apart (all fit alike), the layout does: pairs stand back to
// back from the first axis of the chain, so the second and third axes are no pair, near as they are.
TEST(SkerrowAxisFinder, AxesBackToBackPairUpFromTheFirst)
{
    std::vector<std::uint8_t> image(0x300, 0xFF);
    put(image, 0x100, rising(16, 10, 7), 1);
    put(image, 0x110, rising(16, 12, 6), 1);
    put(image, 0x120, rising(16, 14, 5), 1);
    std::vector<double> linear;
    for (int i = 0; i < 16; ++i)
        linear.push_back(3.0 * i);
    const AxisPair best = bestAxesFor(image, findAxes(image), 0x200, linear, linear);
    EXPECT_EQ(best.rows, (AxisRun{0x100, 1}));
    EXPECT_EQ(best.columns, (AxisRun{0x110, 1}));
}

// Older units keep their axes as 16-bit values, away from the maps: the finder gives each map the
// 16-bit pair it was sampled at.
TEST(SkerrowAxisFinder, MapsGetTheir16BitAxesFromElsewhereInTheImage)
{
    auto image = synthetic::codeLikeBytes(0x2000, 21);
    const std::vector<int> rpm = {600,  800,  1000, 1300, 1600, 2000, 2400, 2800,
                                  3200, 3700, 4200, 4700, 5200, 5800, 6400, 7000};
    const std::vector<int> load = {40,  60,  90,  120, 160, 200, 250, 300,
                                   360, 420, 480, 560, 640, 720, 800, 900};
    put(image, 0x1A40, rpm, 2);
    put(image, 0x1A60, load, 2);
    std::fill(image.begin() + 0x1A80, image.begin() + 0x1B00, std::uint8_t{0xFF});
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            image[0x1100 + static_cast<std::size_t>(16 * r + c)] = static_cast<std::uint8_t>(
                5 + rpm[static_cast<std::size_t>(r)] / 250 + load[static_cast<std::size_t>(c)] / 12);
    const auto found = findMaps(image);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].address, 0x1100);
    EXPECT_EQ(found[0].rowAxis, (AxisRun{0x1A40, 2}));
    EXPECT_EQ(found[0].columnAxis, (AxisRun{0x1A60, 2}));
}

} // namespace
} // namespace skerrow
