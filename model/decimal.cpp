#include "model/decimal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace labo {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Powers of ten that a double holds exactly.
double exactPowerOfTen(int n)
{
    double p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text)
{
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    // The digits as one integer and a power of ten. Digits past the 18th are
    // counted but not kept: they are below a double's precision.
    std::uint64_t mantissa = 0;
    int digits = 0;
    int exponent = 0;
    bool any = false;
    for (; at < text.size() && isDigit(text[at]); ++at, any = true) {
        if (digits < 18) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(text[at] - '0');
            digits += mantissa != 0 ? 1 : 0;
        } else {
            ++exponent;
        }
    }
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        for (++at; at < text.size() && isDigit(text[at]); ++at, any = true) {
            if (digits < 18) {
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(text[at] - '0');
                digits += mantissa != 0 ? 1 : 0;
                --exponent;
            }
        }
    }
    if (!any)
        return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        bool negativeExponent = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            negativeExponent = text[at++] == '-';
        if (at == text.size() || !isDigit(text[at]))
            return std::nullopt;
        int written = 0;
        for (; at < text.size() && isDigit(text[at]); ++at)
            if (written < 10000)
                written = written * 10 + (text[at] - '0');
        exponent += negativeExponent ? -written : written;
    }
    if (at != text.size())
        return std::nullopt;

    // An exact mantissa divided or multiplied by an exact power of ten is
    // correctly rounded: "64.2" is 642 / 10, the double nearest 64.2.
    double value = static_cast<double>(mantissa);
    if (mantissa != 0) {
        if (exponent < 0 && exponent >= -22)
            value /= exactPowerOfTen(-exponent);
        else if (exponent > 0 && exponent <= 22)
            value *= exactPowerOfTen(exponent);
        else if (exponent != 0)
            value *= std::pow(10.0, exponent);
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

namespace {

// The byte length of a thousands separator at text[at], or 0.
std::size_t separatorAt(std::string_view text, std::size_t at)
{
    for (const std::string_view mark : {std::string_view(" "), std::string_view("\xC2\xA0"), std::string_view("\xE2\x80\xAF")})
        if (text.substr(at, mark.size()) == mark)
            return mark.size();
    return 0;
}

}  // namespace

std::optional<double> ParseTypedDecimal(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    std::string joined;
    if (text.substr(0, 3) == "\xE2\x88\x92") {  // U+2212
        joined += '-';
        text.remove_prefix(3);
    }
    for (std::size_t at = 0; at < text.size();) {
        // A separator between a digit and a group of exactly three digits.
        const std::size_t mark = separatorAt(text, at);
        const std::size_t after = at + mark;
        const bool group = mark > 0 && at > 0 && isDigit(text[at - 1]) && after + 3 <= text.size() &&
                           isDigit(text[after]) && isDigit(text[after + 1]) && isDigit(text[after + 2]) &&
                           (after + 3 == text.size() || !isDigit(text[after + 3]));
        if (group) {
            at = after;
            continue;
        }
        joined += text[at++];
    }
    return ParseDecimal(joined);
}

std::string FormatFixed(double x, int decimals, char separator)
{
    if (!std::isfinite(x))
        return x > 0 ? "inf" : (x < 0 ? "-inf" : "nan");
    // Fewer places for a number too large for them in 64 bits.
    while (decimals > 0 && std::fabs(x) * exactPowerOfTen(decimals) >= 1e18)
        --decimals;
    if (std::fabs(x) >= 1e18)
        return FormatFixed(x / 1e9, 0, separator) + "000000000";
    const double scaled = std::round(x * exactPowerOfTen(decimals));
    const bool negative = scaled < 0;
    auto units = static_cast<std::uint64_t>(std::fabs(scaled));
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + units % 10));
        units /= 10;
    } while (units != 0);
    if (decimals > 0) {
        if (digits.size() <= static_cast<std::size_t>(decimals))
            digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
        digits.insert(digits.end() - decimals, separator);
    }
    return negative ? "-" + digits : digits;
}

std::string FormatShortest(double x, char separator)
{
    for (int decimals = 0; decimals < 9; ++decimals) {
        std::string text = FormatFixed(x, decimals, separator);
        if (ParseDecimal(text) == x)
            return text;
    }
    // A value that needs more places, 1e-10 or 64.2000000001: the fewest
    // significant digits that read back as the same double.
    for (int digits = 1; digits <= 17; ++digits) {
        std::array<char, 40> buffer{};
        std::snprintf(buffer.data(), buffer.size(), "%.*g", digits, x);
        std::string text = buffer.data();
        if (ParseDecimal(text) != x)
            continue;
        // The C library writes the locale's decimal mark: either is ours.
        std::replace_if(text.begin(), text.end(), [](char c) { return c == '.' || c == ','; }, separator);
        return text;
    }
    return FormatFixed(x, 9, separator);
}

}  // namespace labo
