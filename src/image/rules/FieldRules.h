// The rules of the settings dialog's fields that need no widget.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/rules/LayoutLimits.h"

namespace rastel::fieldRules {

// Widths, magnifications and offsets the fields accept.
constexpr std::int64_t kMaxWidth = 2147483647;  // the bitmap header holds the width in 32 bits
constexpr std::int64_t kMinMagnification = 1;
constexpr std::int64_t kMaxMagnification = 8;
using core::kOffsetLimit;  // offsets stay strictly inside +-this

// A number field's text as a number, in the usual notation: surrounding spaces, an optional
// sign, digits with an optional fraction, an optional exponent ("12", " -1.5 ", ".5", "1e2").
// Anything else, hexadecimal and infinities included, is not a number, nor is a number too
// large for a double; one too small for it ("1e-400") gives the smallest double of its sign.
std::optional<double> ParseNumber(std::string_view text);
inline bool IsNumeric(std::string_view text) {
    return ParseNumber(text).has_value();
}

// The whole part of a value: rounded down, so -1.5 gives -2 (clamped near the 64-bit limits;
// NaN gives 0).
std::int64_t WholePart(double value);

// A colour component or palette index field: a number from 0 to 255 gives its whole part;
// anything else, the empty text included, gives nothing.
std::optional<int> ByteValue(std::string_view text);

// What a field does with a text just typed into it.
struct Edit {
    enum Kind {
        kLeave,    // keep the text as it is (empty while typing)
        kPutBack,  // undo: the last accepted text comes back
        kAccept,   // the whole part of the text is the field's new value
    };
    Kind kind;
    std::int64_t value = 0;  // for kAccept
};

// A width: from 1 up to the pixel count at the current depth, and never beyond kMaxWidth.
// pixels is empty while no depth is chosen yet; then only kMaxWidth bounds it.
Edit WidthEdit(std::string_view text, std::optional<std::int64_t> pixels);
Edit MagnificationEdit(std::string_view text);
Edit OffsetEdit(std::string_view text);
// A row stride in bytes: from 0 (rows packed) up to core::kMaxStride. Whether it holds a whole
// row is the layout's rule (core::CheckStride), checked when the field is left.
Edit StrideEdit(std::string_view text);

// Leaving a field: the value to write back, or nothing when the field must keep the focus.
// A width field is only checked for being a number: its range was enforced while typing.
std::optional<std::int64_t> WidthOnLeave(std::string_view text);
std::optional<std::int64_t> MagnificationOnLeave(std::string_view text);
std::optional<std::int64_t> OffsetOnLeave(std::string_view text);
inline std::optional<std::int64_t> StrideOnLeave(std::string_view text) {
    return WidthOnLeave(text);
}
// Rows of a frame of planes: from 0 (the whole file one frame) up to the stride's limit, which
// no file's rows pass. Whether the file holds a frame's rows is the layout's rule
// (core::CheckFrameHeight), checked when the field is left.
inline Edit FrameHeightEdit(std::string_view text) {
    return StrideEdit(text);
}
inline std::optional<std::int64_t> FrameHeightOnLeave(std::string_view text) {
    return WidthOnLeave(text);
}

// A byte offset into a file of fileSize bytes: a number as the fields write them (its whole
// part counts), or hexadecimal digits after "0x", surrounding spaces allowed either way.
struct ByteOffset {
    enum Kind {
        kOk,
        kNotNumber,
        kOutOfRange,  // a number, but not from 0 to fileSize - 1
    };
    Kind kind;
    std::int64_t value = 0;  // for kOk
};
ByteOffset ByteOffsetValue(std::string_view text, std::int64_t fileSize);

// Up and Down: one more or one less than the field's number, or than its last accepted text
// when the field holds no number. The field's own rules then accept or undo the result.
std::string StepText(std::string_view text, std::string_view lastAccepted, int delta);

}  // namespace rastel::fieldRules
