#include "Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace common {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Parses the number at the start of `text` (blanks already skipped). Returns the count of characters
// that form the number (0 when there is none) and the value.
std::size_t scanNumber(std::string_view text, double& value)
{
    value = 0;
    std::size_t i = 0;
    if (text.size() >= 2 && text[0] == '&' && (text[1] == 'h' || text[1] == 'H')) {
        std::size_t j = 2;
        double v = 0;
        while (j < text.size() && hexDigit(text[j]) >= 0) {
            v = v * 16 + hexDigit(text[j]);
            ++j;
        }
        if (j == 2)
            return 0;
        value = v;
        return j;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string digits;
    bool any = false;
    while (i < text.size() && isDigit(text[i])) {
        digits += text[i++];
        any = true;
    }
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        std::string frac;
        while (j < text.size() && isDigit(text[j]))
            frac += text[j++];
        if (any || !frac.empty()) {
            digits += '.';
            digits += frac;
            any = true;
            i = j;
        }
    }
    if (!any)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent += text[j++];
        std::size_t firstDigit = j;
        while (j < text.size() && isDigit(text[j]))
            exponent += text[j++];
        if (j > firstDigit) {
            digits += exponent;
            i = j;
        }
    }
    // Never strtod: a window program runs in the user's locale, where the decimal point may be a comma.
    // A value out of range leaves 0.
    double v = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (!std::isfinite(v))
        v = 0;
    value = negative ? -v : v;
    return i;
}

std::string_view skipBlanks(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return text.substr(i);
}

template <typename T> T clampRound(double value)
{
    if (std::isnan(value))
        return 0;
    double r = roundHalfEven(value);
    if (r < static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(r);
}

// printf-style texts without the C library's locale, which a window program takes from the user:
// a German desktop would otherwise turn 12.5 into "12,5".
std::string charsText(double value, std::chars_format format, int precision)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("0");
}

std::string trimmedGeneral(double value, int significantDigits)
{
    std::string s = charsText(value, std::chars_format::general, significantDigits);
    // %g may still write an exponent for very large or small values; keep it, upper case.
    for (char& c : s)
        if (c == 'e')
            c = 'E';
    return s;
}

} // namespace

double readNumber(std::string_view text)
{
    double value = 0;
    scanNumber(skipBlanks(text), value);
    return value;
}

bool startsWithNumber(std::string_view text)
{
    double value = 0;
    return scanNumber(skipBlanks(text), value) > 0;
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    double floorValue = std::floor(value);
    double diff = value - floorValue;
    if (diff > 0.5)
        return floorValue + 1;
    if (diff < 0.5)
        return floorValue;
    return std::fmod(floorValue, 2.0) == 0 ? floorValue : floorValue + 1;
}

std::int16_t toInt16(double value)
{
    return clampRound<std::int16_t>(value);
}
std::int32_t toInt32(double value)
{
    return clampRound<std::int32_t>(value);
}
std::uint8_t toByte(double value)
{
    return clampRound<std::uint8_t>(value);
}

std::string numberText(double value, int significantDigits)
{
    if (value == 0)
        return " 0";
    std::string body;
    if (std::fabs(value) < 1e15 && value == std::floor(value)) {
        body = charsText(value, std::chars_format::fixed, 0);
    } else {
        body = trimmedGeneral(value, significantDigits);
    }
    return value < 0 ? body : " " + body;
}

std::string numberTextSingle(float value)
{
    return numberText(static_cast<double>(value), 7);
}

std::string hexText(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(value));
    return buffer;
}

std::string hexPairText(std::uint32_t value)
{
    std::string s = hexText(value);
    if (s.size() % 2 == 1)
        s.insert(s.begin(), '0');
    return s;
}

std::string hexTextPadded(std::uint32_t value, int minDigits)
{
    std::string s = hexText(value);
    while (static_cast<int>(s.size()) < minDigits)
        s.insert(s.begin(), '0');
    return s;
}

std::optional<std::uint32_t> parseHex(std::string_view text, std::uint32_t maxValue)
{
    text = skipBlanks(text);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    std::uint64_t v = 0;
    for (char c : text) {
        int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        v = v * 16 + static_cast<std::uint64_t>(d);
        if (v > maxValue)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(v);
}

std::string formatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return "0";
    double scale = std::pow(10.0, decimals);
    // A tiny nudge makes values such as 2.675 (stored as 2.67499999...) round as they are written.
    double scaled = std::fabs(value) * scale;
    double rounded = std::floor(scaled + 0.5 + 1e-9 * std::max(1.0, scaled));
    if (rounded == 0)
        value = 0;
    std::string s = charsText(rounded / scale, std::chars_format::fixed, decimals);
    return value < 0 ? "-" + s : s;
}

} // namespace common
