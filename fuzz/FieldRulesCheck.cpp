// The number rules of the fields on any text. The first byte picks a rule from the table, the
// rest is the text (or a raw double); a new rule is one more row in kRules.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <regex>
#include <string>

#include "Check.h"
#include "image/pixels/modBITMAPinfo.h"
#include "image/rules/FieldRules.h"

namespace rastel::fuzz {

namespace {

using fieldRules::ParseNumber;
using fieldRules::WholePart;

std::string Text(InputReader& in) {
    const Input rest = in.rest();
    return std::string(reinterpret_cast<const char*>(rest.data()), rest.size());
}

// The notation the fields take, written as a pattern to check the hand-written parser.
bool LooksNumeric(const std::string& text) {
    static const std::regex kNumber(
        R"([ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*)");
    return text.size() <= 200 && std::regex_match(text, kNumber);
}

void CheckWholePart(double v) {
    const std::int64_t w = WholePart(v);
    if (std::isnan(v)) {
        Expect(w == 0, "the whole part of NaN is not 0");
        return;
    }
    if (std::fabs(v) < 0x1p53) {
        Expect(static_cast<double>(w) <= v && v < static_cast<double>(w) + 1,
               "the whole part is not the value rounded down");
    } else if (std::fabs(v) < 9e18) {
        Expect(static_cast<double>(w) == v, "a whole number's whole part is not itself");
    } else {
        Expect((w > 0) == (v > 0) && std::llabs(w) >= 9'000'000'000'000'000'000LL,
               "a huge value's whole part");
    }
}

void ParseNumberRule(InputReader& in) {
    const std::string text = Text(in);
    const std::optional<double> value = ParseNumber(text);
    if (value) {
        Expect(std::isfinite(*value), "a number that is not finite");
        CheckWholePart(*value);
        Expect(ParseNumber(" " + text + "\t") == value, "surrounding spaces change the value");
        // Shortest round trip: what a field writes back reads as the same number.
        char buffer[64];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, *value);
        Expect(ParseNumber(std::string_view(buffer, written.ptr)) == value,
               "a value does not read back");
        Expect(ParseNumber(std::to_string(WholePart(*value))) ==
                   static_cast<double>(WholePart(*value)),
               "a whole part written back does not read back");
    }
    if (text.size() > 200 || text.find('\0') != std::string::npos) {
        return;
    }
    if (!LooksNumeric(text)) {
        Expect(!value, "a text that is not a number was taken as one");
        return;
    }
    // Compared with the C library, which reads the same notation (this program keeps the
    // "C" locale).
    errno = 0;
    const double c = std::strtod(text.c_str(), nullptr);
    if (std::isinf(c)) {
        Expect(!value, "a number beyond the range of a double was taken");
        return;
    }
    Expect(value.has_value(), "a number in the usual notation was refused");
    if (errno != ERANGE) {
        Expect(*value == c, "the value differs from the C library's");
    }
    Expect(std::signbit(*value) == std::signbit(c) || *value == 0 || c == 0,
           "the sign differs from the C library's");
}

void WholePartRule(InputReader& in) {
    const std::uint64_t bits = in.u64();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isinf(v)) {
        CheckWholePart(v);
    }
}

void ByteValueRule(InputReader& in) {
    const std::string text = Text(in);
    const std::optional<int> byte = fieldRules::ByteValue(text);
    const std::optional<double> value = ParseNumber(text);
    const bool inRange = value && *value >= 0 && *value <= 255;
    Expect(byte.has_value() == inRange, "a byte field took the wrong texts");
    if (byte) {
        Expect(*byte >= 0 && *byte <= 255, "a byte value beyond 0..255");
        Expect(*byte == WholePart(*value), "a byte value is not the whole part");
        Expect(fieldRules::ByteValue(std::to_string(*byte)) == byte,
               "a byte value written back does not read back");
    }
}

void HeightRule(InputReader& in) {
    const std::int64_t fileSize = in.range(1, 0x7EFFFFFF);
    const std::int32_t depth = static_cast<std::int32_t>(in.u8() % 3);
    const std::int64_t pixels = modBITMAPinfo::PixelCount(fileSize, depth);
    Expect(pixels >= fileSize && pixels <= 8 * fileSize, "pixel count");
    const std::int64_t width = 1 + static_cast<std::int64_t>(in.u64() % pixels);
    const std::int64_t height = modBITMAPinfo::HeightForWidth(pixels, width);
    Expect(height >= 1 && (height - 1) * width < pixels && height * width >= pixels,
           "the height is not the fewest rows that hold every pixel");
}

// What a field does with a typed text: empty is left alone, a whole part in [lo, hi] is
// accepted (and the same value is kept when the field is left), anything else is undone.
void CheckEdit(const std::string& text, fieldRules::Edit edit, std::int64_t lo, std::int64_t hi,
               std::optional<std::int64_t> (*onLeave)(std::string_view)) {
    using fieldRules::Edit;
    const std::optional<double> value = ParseNumber(text);
    if (text.empty()) {
        Expect(edit.kind == Edit::kLeave, "an empty field was not left alone");
        Expect(!onLeave(text), "an empty field may be left");
        return;
    }
    Expect(edit.kind != Edit::kLeave, "a typed text was neither taken nor undone");
    if (edit.kind == Edit::kAccept) {
        Expect(value && edit.value == WholePart(*value), "an accepted value is not the whole part");
        Expect(edit.value >= lo && edit.value <= hi, "a field accepted a value out of range");
        Expect(onLeave(text) == edit.value, "leaving changes an accepted value");
        return;
    }
    Expect(!value || WholePart(*value) < lo || WholePart(*value) > hi || *value < lo || *value > hi,
           "a value in range was undone");
}

void WidthRule(InputReader& in) {
    const std::uint8_t kind = in.u8();
    const std::optional<std::int64_t> pixels =
        kind % 2 == 0 ? std::nullopt
                      : std::optional<std::int64_t>(
                            modBITMAPinfo::PixelCount(in.range(1, 0x7EFFFFFF), kind / 2 % 3));
    const std::string text = Text(in);
    const std::int64_t hi =
        pixels ? std::min(*pixels, fieldRules::kMaxWidth) : fieldRules::kMaxWidth;
    CheckEdit(text, fieldRules::WidthEdit(text, pixels), 1, hi, fieldRules::WidthOnLeave);
}

void MagnificationRule(InputReader& in) {
    const std::string text = Text(in);
    CheckEdit(text, fieldRules::MagnificationEdit(text), fieldRules::kMinMagnification,
              fieldRules::kMaxMagnification, fieldRules::MagnificationOnLeave);
}

void OffsetRule(InputReader& in) {
    const std::string text = Text(in);
    CheckEdit(text, fieldRules::OffsetEdit(text), 1 - fieldRules::kOffsetLimit,
              fieldRules::kOffsetLimit - 1, fieldRules::OffsetOnLeave);
}

// Up and Down from any text: a whole number in reach moves by exactly one.
void StepRule(InputReader& in) {
    const int delta = in.u8() % 2 == 0 ? 1 : -1;
    const std::int64_t last = static_cast<std::int32_t>(in.u32());
    const std::string text = Text(in);
    const std::string stepped = fieldRules::StepText(text, std::to_string(last), delta);
    const std::optional<double> base = ParseNumber(text);
    const double from = base ? *base : static_cast<double>(last);
    if (from == std::floor(from) && std::fabs(from) < 0x1p52) {
        Expect(stepped == std::to_string(static_cast<std::int64_t>(from) + delta),
               "a step is not one up or down");
    } else {
        Expect(stepped.empty() || ParseNumber(stepped).has_value(),
               "a step wrote a text that is no number");
    }
}

struct Rule {
    const char* name;
    void (*check)(InputReader&);
};

constexpr Rule kRules[] = {
    {"ParseNumber", ParseNumberRule}, {"WholePart", WholePartRule},
    {"ByteValue", ByteValueRule},     {"HeightForWidth", HeightRule},
    {"WidthEdit", WidthRule},         {"MagnificationEdit", MagnificationRule},
    {"OffsetEdit", OffsetRule},       {"StepText", StepRule},
};

}  // namespace

void CheckFieldRules(Input input) {
    InputReader in(input);
    const Rule& rule = kRules[in.u8() % std::size(kRules)];
    rule.check(in);
}

}  // namespace rastel::fuzz
