#include "common/Numbers.h"

#include <gtest/gtest.h>

using namespace common;

TEST(ReadNumber, ReadsFromTheStartAndStopsAtTheFirstCharacterThatCannotContinue)
{
    EXPECT_EQ(readNumber("370"), 370);
    EXPECT_EQ(readNumber("  370 cc"), 370);
    EXPECT_EQ(readNumber("-12.5kg"), -12.5);
    EXPECT_EQ(readNumber("+7"), 7);
    EXPECT_EQ(readNumber(".5"), 0.5);
    EXPECT_EQ(readNumber("1.5E3x"), 1500);
    EXPECT_EQ(readNumber("2e"), 2);  // an exponent without digits is not part of the number
    EXPECT_EQ(readNumber("1 2"), 1); // a blank ends the number
    EXPECT_EQ(readNumber("abc"), 0);
    EXPECT_EQ(readNumber(""), 0);
    EXPECT_EQ(readNumber("-"), 0);
    EXPECT_EQ(readNumber("unknown value"), 0);
}

TEST(ReadNumber, ReadsAmpersandHexAsAnUnsignedValue)
{
    EXPECT_EQ(readNumber("&h7f00"), 0x7F00);
    EXPECT_EQ(readNumber("&HFFFF"), 65535);
    EXPECT_EQ(readNumber("&h8000 main map"), 32768);
    EXPECT_EQ(readNumber("&h"), 0);
    EXPECT_EQ(readNumber("&hzz"), 0);
    EXPECT_TRUE(startsWithNumber(" &h10"));
    EXPECT_FALSE(startsWithNumber("&hx"));
    EXPECT_FALSE(startsWithNumber("x1"));
}

TEST(Rounding, HalvesGoToTheEvenNeighbourAndOutOfRangeValuesClamp)
{
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(toInt16(10.5), 10);
    EXPECT_EQ(toInt16(40000), 32767);
    EXPECT_EQ(toInt16(-40000), -32768);
    EXPECT_EQ(toInt32(8192.5), 8192);
    EXPECT_EQ(toByte(255.5), 255);
    EXPECT_EQ(toByte(-1), 0);
    EXPECT_EQ(toByte(0.5), 0);
    EXPECT_EQ(toByte(1.5), 2);
}

TEST(NumberText, NonNegativeNumbersCarryALeadingBlank)
{
    EXPECT_EQ(numberText(2), " 2");
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(-3), "-3");
    EXPECT_EQ(numberText(3750), " 3750");
    EXPECT_EQ(numberText(12.5), " 12.5");
    EXPECT_EQ(numberText(12750), " 12750");
    EXPECT_EQ(numberTextSingle(0.1f), " 0.1");
}

TEST(HexText, PairsPadToAnEvenDigitCount)
{
    EXPECT_EQ(hexPairText(10), "0A");
    EXPECT_EQ(hexPairText(4660), "1234");
    EXPECT_EQ(hexPairText(291), "0123");
    EXPECT_EQ(hexPairText(0), "00");
    EXPECT_EQ(hexText(0x4A), "4A");
    EXPECT_EQ(hexText(0), "0");
    EXPECT_EQ(hexTextPadded(0x1F00, 4), "1F00");
    EXPECT_EQ(hexTextPadded(0x10, 4), "0010");
    EXPECT_EQ(hexTextPadded(0x12345, 4), "12345");
}

TEST(ParseHex, AcceptsOnlyHexDigitsWithinTheLimit)
{
    EXPECT_EQ(parseHex("8000"), 0x8000u);
    EXPECT_EQ(parseHex("ffff", 0xFFFF), 0xFFFFu);
    EXPECT_EQ(parseHex(" 7ff0 "), 0x7FF0u);
    EXPECT_FALSE(parseHex("10000", 0xFFFF));
    EXPECT_FALSE(parseHex("xyz"));
    EXPECT_FALSE(parseHex(""));
    EXPECT_FALSE(parseHex("12 34"));
    EXPECT_FALSE(parseHex("FFFFFFFFF"));
}

TEST(FormatFixed, RoundsToTheGivenDecimalsWithAtLeastOneIntegerDigit)
{
    EXPECT_EQ(formatFixed(14.7, 2), "14.70");
    EXPECT_EQ(formatFixed(29.4, 2), "29.40");
    EXPECT_EQ(formatFixed(7.3795, 2), "7.38");
    EXPECT_EQ(formatFixed(0.125, 2), "0.13");
    EXPECT_EQ(formatFixed(0, 2), "0.00");
    EXPECT_EQ(formatFixed(-0.001, 2), "0.00");
    EXPECT_EQ(formatFixed(-1.5, 0), "-2");
    EXPECT_EQ(formatFixed(36.6, 0), "37");
    EXPECT_EQ(formatFixed(1234.4, 0), "1234");
}

#ifdef __linux__
#include <clocale>
#include <cstdlib>
#include <filesystem>

// A window program runs in the user's locale (Qt takes it from the environment at start-up), and a
// German one writes 12.5 as "12,5": numbers in files and on screen must still use a decimal point.
TEST(NumbersUnderADecimalCommaLocale, ReadAndWriteWithADecimalPoint)
{
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "tessavel-locale-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const std::string compile =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    (void)std::system(compile.c_str());
    setenv("LOCPATH", dir.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "localedef (package locales) made no de_DE";
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");

    EXPECT_EQ(readNumber("12.5"), 12.5);
    EXPECT_EQ(readNumber("1.5E3"), 1500);
    EXPECT_EQ(numberText(12.5), " 12.5");
    EXPECT_EQ(numberText(-0.25), "-0.25");
    EXPECT_EQ(numberTextSingle(3187.5f), " 3187.5");
    EXPECT_EQ(formatFixed(14.7, 2), "14.70");

    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}
#endif
