#include "settings/FieldRules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "image/modBITMAPinfo.h"

namespace rastel::fieldRules {

std::int64_t PixelCount(std::int64_t fileSize, std::int32_t depth) {
    return fileSize * modBITMAPinfo::PixelsPerByte(depth);
}

std::int64_t HeightForWidth(std::int64_t pixels, std::int64_t width) {
    return pixels / width + (pixels % width != 0 ? 1 : 0);
}

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// How many digits start at pos.
std::size_t DigitRun(std::string_view s, std::size_t pos) {
    std::size_t n = 0;
    while (pos + n < s.size() && IsDigit(s[pos + n])) {
        ++n;
    }
    return n;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    // Checked by hand first: from_chars would take "inf", "nan" and hexadecimal forms.
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t body = pos;
    std::size_t digits = DigitRun(text, pos);
    pos += digits;
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fraction = DigitRun(text, pos + 1);
        digits += fraction;
        pos += 1 + fraction;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t e = pos + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) {
            ++e;
        }
        const std::size_t exponent = DigitRun(text, e);
        if (exponent == 0) {
            return std::nullopt;
        }
        pos = e + exponent;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    // from_chars refuses a leading '+', so the sign is applied here.
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data() + body, text.data() + pos, value);
    if (ec != std::errc() || end != text.data() + pos) {
        return std::nullopt;  // out of the range of a double
    }
    return negative ? -value : value;
}

std::int64_t WholePart(double value) {
    // Clamped: converting a double beyond the 64-bit range is undefined.
    constexpr double kLimit = 9.2e18;
    return static_cast<std::int64_t>(std::floor(std::clamp(value, -kLimit, kLimit)));
}

std::optional<int> ByteValue(std::string_view text) {
    const std::optional<double> value = ParseNumber(text);
    if (!value || *value < 0 || *value > 255) {
        return std::nullopt;
    }
    return static_cast<int>(WholePart(*value));
}

}  // namespace rastel::fieldRules
