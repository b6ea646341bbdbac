// Number <-> text conversions used by the settings file.
#include "text/NumericText.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace sayvane {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Scans a number at `pos` (sign, digits, fraction after `separator`, exponent) and returns
// it in C form ("-12.5e3") for strtod, advancing `pos` past it; empty when there is none.
std::string ScanNumber(std::string_view text, std::size_t& pos, char separator) {
    std::string out;
    std::size_t p = pos;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        out += text[p++];
    }
    std::size_t digits = 0;
    while (p < text.size() && IsDigit(text[p])) {
        out += text[p++];
        ++digits;
    }
    if (p < text.size() && text[p] == separator) {
        std::size_t q = p + 1;
        std::string fraction;
        while (q < text.size() && IsDigit(text[q])) {
            fraction += text[q++];
        }
        if (digits > 0 || !fraction.empty()) {
            out += '.';
            out += fraction;
            digits += fraction.size();
            p = q;
        }
    }
    if (digits == 0) {
        return {};
    }
    if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
        std::size_t q = p + 1;
        std::string exponent = "e";
        if (q < text.size() && (text[q] == '+' || text[q] == '-')) {
            exponent += text[q++];
        }
        const std::size_t first = q;
        while (q < text.size() && IsDigit(text[q])) {
            exponent += text[q++];
        }
        if (q > first) {
            out += exponent;
            p = q;
        }
    }
    pos = p;
    return out;
}

// strtod on text that ScanNumber produced: only digits, sign, "." and exponent, so the C
// locale's separator (the program never changes it) is the one in the text.
double ParseScanned(const std::string& scanned) {
    return std::strtod(scanned.c_str(), nullptr);
}

template <typename Int>
std::optional<Int> RoundTo(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(value);  // default rounding mode: halves to even
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

}  // namespace

std::optional<double> TextToDouble(std::string_view text, NumberFormat format) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    const std::string scanned = ScanNumber(text, pos, format.decimalSeparator);
    if (scanned.empty()) {
        return std::nullopt;
    }
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    const double value = ParseScanned(scanned);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int16_t> RoundToInt16(double value) {
    return RoundTo<std::int16_t>(value);
}

std::optional<std::int32_t> RoundToInt32(double value) {
    return RoundTo<std::int32_t>(value);
}

std::optional<std::int16_t> TextToInt16(std::string_view text, NumberFormat format) {
    const auto value = TextToDouble(text, format);
    return value ? RoundToInt16(*value) : std::nullopt;
}

std::optional<std::int32_t> TextToInt32(std::string_view text, NumberFormat format) {
    const auto value = TextToDouble(text, format);
    return value ? RoundToInt32(*value) : std::nullopt;
}

std::optional<std::int32_t> LeadingNumberToInt32(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    const std::string scanned = ScanNumber(text, pos, '.');
    if (scanned.empty()) {
        return 0;
    }
    return RoundToInt32(ParseScanned(scanned));
}

std::string FormatTwelveDigits(std::int64_t value) {
    const bool negative = value < 0;
    // Magnitude as unsigned so that the most negative value does not overflow.
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude > 0);
    if (digits.size() < 12) {
        digits.insert(0, 12 - digits.size(), '0');
    }
    return negative ? "-" + digits : digits;
}

}  // namespace sayvane
