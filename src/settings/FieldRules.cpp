#include "settings/FieldRules.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "image/modBITMAPinfo.h"

namespace rastel::fieldRules {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

// Doubles at or beyond 2^63 do not fit the 64-bit whole parts.
constexpr double kInt64Bound = 9223372036854775808.0;

bool FitsInt64(double value) {
    return value > -kInt64Bound && value < kInt64Bound;
}

}  // namespace

std::int64_t PixelCount(std::int64_t fileSize, std::int32_t depth) {
    return fileSize * modBITMAPinfo::PixelsPerByte(depth);
}

std::int64_t HeightForWidth(std::int64_t pixels, std::int64_t width) {
    return pixels / width + (pixels % width != 0 ? 1 : 0);
}

std::optional<double> ParseNumber(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsSpace(text[end - 1])) {
        --end;
    }
    const std::string_view body = text.substr(begin, end - begin);

    // Check the whole grammar first: from_chars alone would accept "inf", "nan" and hex forms.
    std::size_t i = 0;
    bool negative = false;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
        negative = body[i] == '-';
        ++i;
    }
    const std::size_t mantissaBegin = i;
    std::size_t digits = 0;
    while (i < body.size() && IsDigit(body[i])) {
        ++i, ++digits;
    }
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && IsDigit(body[i])) {
            ++i, ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    bool negativeExponent = false;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
            negativeExponent = body[i] == '-';
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < body.size() && IsDigit(body[i])) {
            ++i, ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != body.size()) {
        return std::nullopt;
    }

    const std::string_view unsignedPart = body.substr(mantissaBegin);
    double value = 0.0;
    const auto [ptr, ec] =
        std::from_chars(unsignedPart.data(), unsignedPart.data() + unsignedPart.size(), value);
    if (ec == std::errc::result_out_of_range) {
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (ec != std::errc() || ptr != unsignedPart.data() + unsignedPart.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::string WholePartText(double value) {
    return std::to_string(static_cast<std::int64_t>(std::floor(value)));
}

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
    return {Edit::kAccept, static_cast<std::int64_t>(std::floor(*value))};
}

Edit MagnificationEdit(std::string_view text) {
    if (text.empty()) {
        return {Edit::kLeave};
    }
    const std::optional<double> value = ParseNumber(text);
    if (!value || !(*value >= kMinMagnification) || *value > kMaxMagnification) {
        return {Edit::kPutBack};
    }
    return {Edit::kAccept, static_cast<std::int64_t>(std::floor(*value))};
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
    return {Edit::kAccept, static_cast<std::int64_t>(std::floor(*value))};
}

std::optional<std::int64_t> WidthOnLeave(std::string_view text) {
    const std::optional<double> value = ParseNumber(text);
    if (!value || !FitsInt64(*value)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(std::floor(*value));
}

std::optional<std::int64_t> MagnificationOnLeave(std::string_view text) {
    const std::optional<double> value = ParseNumber(text);
    if (!value || *value > kMaxMagnification || !(*value > 0)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(std::floor(*value));
}

std::optional<std::int64_t> OffsetOnLeave(std::string_view text) {
    const std::optional<double> value = ParseNumber(text);
    if (!value || !(std::abs(*value) < kOffsetLimit)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(std::floor(*value));
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
