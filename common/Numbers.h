// Number reading, rounding and number texts shared by every program of the suite.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace common {

// Reads a number from the start of a text: leading blanks and tabs are skipped, then an optional
// sign, digits, a decimal point and an exponent ("1.5E3", "2D-1"); "&h"/"&H" followed by hexadecimal
// digits is read as hexadecimal ("&hffff" = 65535; four or fewer digits are a 16-bit value, so
// "&hFFFF" alone reads 65535, not -1). Reading stops at the first character that cannot continue the
// number; a text without a number gives 0. Never throws.
double readNumber(std::string_view text);

// True when the text starts (after blanks) with something readNumber takes as a number.
bool startsWithNumber(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double value);

// Conversions with halves to even. Values outside the target range are clamped to it (a NaN gives 0).
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);
std::uint8_t toByte(double value);

// The number as text with a leading blank when it is not negative (the sign position): 2 -> " 2",
// -3 -> "-3", 3750 -> " 3750", 12.5 -> " 12.5". Whole numbers have no decimal point; other values
// have up to `significantDigits` significant digits without trailing zeros.
std::string numberText(double value, int significantDigits = 15);
// The same for single-precision values (7 significant digits).
std::string numberTextSingle(float value);

// Upper-case hexadecimal of a value with a "0" put in front when the digit count is odd:
// 10 -> "0A", 4660 -> "1234", 291 -> "0123", 0 -> "00".
std::string hexPairText(std::uint32_t value);

// Upper-case hexadecimal without leading zeros (0 -> "0").
std::string hexText(std::uint32_t value);

// Upper-case hexadecimal padded with zeros to at least `minDigits` digits.
std::string hexTextPadded(std::uint32_t value, int minDigits);

// Reads a whole text as hexadecimal digits (blanks around it allowed, no prefix, at least one digit).
// Nothing is returned for an empty text, another character or a value above maxValue.
std::optional<std::uint32_t> parseHex(std::string_view text, std::uint32_t maxValue = 0xFFFFFFFFu);

// Fixed-point text with exactly `decimals` decimals and at least one integer digit, rounded to
// nearest (halves away from zero), no thousands separator: the formats "#0.00" (2), "#0" and
// "###0" (0). -0.004 with two decimals gives "0.00", never "-0.00".
std::string formatFixed(double value, int decimals);

} // namespace common
