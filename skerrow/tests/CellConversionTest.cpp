#include "CellConversion.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace skerrow {
namespace {

constexpr int raw = 0;
constexpr int airFuel = 1;
constexpr int timing = 2;

TEST(SkerrowCellConversion, AirFuelValuesOnBothSidesOfTheBreak)
{
    EXPECT_DOUBLE_EQ(convertCell(0, airFuel), 14.7);
    EXPECT_DOUBLE_EQ(convertCell(128, airFuel), 7.35);
    EXPECT_NEAR(convertCell(159, airFuel), 6.5561, 1e-4);
    EXPECT_DOUBLE_EQ(convertCell(160, airFuel), 19.6);
    EXPECT_NEAR(convertCell(255, airFuel), 9.8513, 1e-4);
}

TEST(SkerrowCellConversion, TimingTakesLowSevenBitsThenCountsDownFromTwoFiftyFive)
{
    EXPECT_EQ(convertCell(20, timing), 20);
    EXPECT_EQ(convertCell(200, timing), 72);
    EXPECT_EQ(convertCell(240, timing), 112);
    EXPECT_EQ(convertCell(241, timing), -14);
    EXPECT_EQ(convertCell(250, timing), -5);
    EXPECT_EQ(convertCell(255, timing), 0);
    EXPECT_EQ(convertCell(200, raw), 200);
    EXPECT_EQ(convertCell(200, -1), 0);
}

TEST(SkerrowCellConversion, AirFuelTableOf159And160WidensToSixTo21)
{
    const std::array<std::uint8_t, 4> cells = {159, 160, 159, 160};
    std::array<double, 4> values{};
    const ValueRanges ranges = convertTable(cells, airFuel, values, {});
    EXPECT_EQ(ranges, (ValueRanges{6, 21, 10, 17}));
    EXPECT_DOUBLE_EQ(values[1], 19.6);
}

TEST(SkerrowCellConversion, WideningRunsInCellOrder)
{
    // 20 raises the high end to 21; the later 21 does not exceed it, so it stays 21.
    const std::array<std::uint8_t, 3> rising = {20, 21, 3};
    std::array<double, 3> values{};
    EXPECT_EQ(convertTable(rising, timing, values, {}), (ValueRanges{0, 21, 0, 50}));
    // Negative timing values lower the low end to round(v) - 1.
    const std::array<std::uint8_t, 2> retard = {250, 241};
    EXPECT_EQ(convertTable(retard, timing, std::span<double>(values).first(2), {}),
              (ValueRanges{-15, 1, 0, 50}));
}

TEST(SkerrowCellConversion, RawKeepsTheFullByteRange)
{
    const std::array<std::uint8_t, 2> cells = {0, 255};
    std::array<double, 2> values{};
    EXPECT_EQ(convertTable(cells, raw, values, {}), (ValueRanges{0, 255, 0, 255}));
    EXPECT_EQ(values[1], 255);
}

TEST(SkerrowCellConversion, NoModeGivesZerosAndKeepsTheRanges)
{
    const std::array<std::uint8_t, 2> cells = {10, 200};
    std::array<double, 2> values = {5, 5};
    const ValueRanges previous{6, 21, 10, 17};
    EXPECT_EQ(convertTable(cells, -1, values, previous), previous);
    EXPECT_EQ(values[0], 0);
    EXPECT_EQ(values[1], 0);
}

} // namespace
} // namespace skerrow
