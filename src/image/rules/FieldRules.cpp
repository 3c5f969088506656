#include "image/rules/FieldRules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace rastel::fieldRules {

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

// Whether a number that does not fit a double is too large rather than too small: its first
// significant digit stands before the decimal point once the exponent is applied.
bool TooLarge(std::string_view number) {
    const std::size_t e = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, e);
    std::int64_t exponent = 0;
    if (e != std::string_view::npos) {
        std::size_t i = e + 1;
        const bool minus = number[i] == '-';
        i += number[i] == '+' || number[i] == '-';
        for (; i < number.size(); ++i) {
            exponent = std::min<std::int64_t>(exponent * 10 + (number[i] - '0'), 1'000'000'000);
        }
        exponent = minus ? -exponent : exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return false;  // zero: never out of range
    }
    // The value lies in [10^(magnitude - 1), 10^magnitude).
    const std::int64_t magnitude = first < point ? static_cast<std::int64_t>(point - first)
                                                 : -static_cast<std::int64_t>(first - point - 1);
    return magnitude + exponent > 0;
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
    const std::string_view number = text.substr(body, pos - body);
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range && !TooLarge(number)) {
        // Too small for a double but still a number: the nearest one of its sign keeps the
        // comparisons with 0 and the whole part (-1e-400 rounds down to -1) right.
        value = std::numeric_limits<double>::denorm_min();
    } else if (ec != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;  // beyond the range of a double
    }
    return negative ? -value : value;
}

std::int64_t WholePart(double value) {
    // Clamped: converting a double beyond the 64-bit range, or NaN, is undefined.
    if (std::isnan(value)) {
        return 0;
    }
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

namespace {

// Doubles at or beyond 2^63 do not fit the 64-bit whole parts.
constexpr double kInt64Bound = 9223372036854775808.0;

bool FitsInt64(double value) {
    return value > -kInt64Bound && value < kInt64Bound;
}

}  // namespace

Edit WidthEdit(std::string_view text, std::optional<std::int64_t> pixels) {
    if (text.empty()) {
        return {Edit::kLeave};
    }
    const std::optional<double> value = ParseNumber(text);
    const std::int64_t max = pixels ? std::min(*pixels, kMaxWidth) : kMaxWidth;
    // Below 1 the whole part would be 0 or negative; above max it is too wide.
    if (!value || !(*value >= 1.0) || std::floor(*value) > static_cast<double>(max)) {
        return {Edit::kPutBack};
    }
    return {Edit::kAccept, WholePart(*value)};
}

Edit MagnificationEdit(std::string_view text) {
    if (text.empty()) {
        return {Edit::kLeave};
    }
    const std::optional<double> value = ParseNumber(text);
    if (!value || !(*value >= kMinMagnification) || *value > kMaxMagnification) {
        return {Edit::kPutBack};
    }
    return {Edit::kAccept, WholePart(*value)};
}

Edit OffsetEdit(std::string_view text) {
    if (text.empty()) {
        return {Edit::kLeave};
    }
    const std::optional<double> value = ParseNumber(text);
    // Rounding down can carry a negative value just inside the limit onto it.
    if (!value || !(std::abs(*value) < kOffsetLimit) ||
        !(std::abs(std::floor(*value)) < kOffsetLimit)) {
        return {Edit::kPutBack};
    }
    return {Edit::kAccept, WholePart(*value)};
}

Edit StrideEdit(std::string_view text) {
    if (text.empty()) {
        return {Edit::kLeave};
    }
    const std::optional<double> value = ParseNumber(text);
    if (!value || !(*value >= 0) || std::floor(*value) > static_cast<double>(core::kMaxStride)) {
        return {Edit::kPutBack};
    }
    return {Edit::kAccept, WholePart(*value)};
}

std::optional<std::int64_t> WidthOnLeave(std::string_view text) {
    const std::optional<double> value = ParseNumber(text);
    if (!value) {
        return std::nullopt;
    }
    return WholePart(*value);
}

std::optional<std::int64_t> MagnificationOnLeave(std::string_view text) {
    const std::optional<double> value = ParseNumber(text);
    if (!value || *value > kMaxMagnification || !(*value > 0)) {
        return std::nullopt;
    }
    return WholePart(*value);
}

std::optional<std::int64_t> OffsetOnLeave(std::string_view text) {
    const std::optional<double> value = ParseNumber(text);
    if (!value || !(std::abs(*value) < kOffsetLimit)) {
        return std::nullopt;
    }
    return WholePart(*value);
}

ByteOffset ByteOffsetValue(std::string_view text, std::int64_t fileSize) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    double value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view digits = text.substr(2);
        if (digits.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
            return {ByteOffset::kNotNumber};
        }
        // As a double, so that any number of digits stays a number, if a large one.
        for (const char c : digits) {
            value = value * 16 + (IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
        }
    } else if (const std::optional<double> number = ParseNumber(text)) {
        value = std::floor(*number);
    } else {
        return {ByteOffset::kNotNumber};
    }
    if (!(value >= 0 && value < static_cast<double>(fileSize))) {
        return {ByteOffset::kOutOfRange};
    }
    return {ByteOffset::kOk, static_cast<std::int64_t>(value)};
}

std::string StepText(std::string_view text, std::string_view lastAccepted, int delta) {
    std::optional<double> base = ParseNumber(text);
    if (!base) {
        base = ParseNumber(lastAccepted);
    }
    const double next = base.value_or(0.0) + delta;
    if (next == std::floor(next) && FitsInt64(next)) {
        return std::to_string(static_cast<std::int64_t>(next));
    }
    // A fraction or a huge number: written so that the field's rules read it back and refuse it
    // or round it down.
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, next);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string();
}

}  // namespace rastel::fieldRules
