// The rules of the settings dialog's fields that need no widget.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace rastel::fieldRules {

// The pixels a file of fileSize bytes holds at a depth (0 for an unknown depth).
// 64-bit: a 2 GB file at 2 colours has over 17 billion.
std::int64_t PixelCount(std::int64_t fileSize, std::int32_t depth);

// The fewest rows of width pixels that hold all pixels (width at least 1).
std::int64_t HeightForWidth(std::int64_t pixels, std::int64_t width);

// A number field's text as a number, in the usual notation: surrounding spaces, an optional
// sign, digits with an optional fraction, an optional exponent ("12", " -1.5 ", ".5", "1e2").
// Anything else, hexadecimal and infinities included, is not a number, nor is a number too
// large for a double; one too small for it ("1e-400") gives the smallest double of its sign.
std::optional<double> ParseNumber(std::string_view text);

// The whole part of a value: rounded down, so -1.5 gives -2 (clamped near the 64-bit limits;
// NaN gives 0).
std::int64_t WholePart(double value);

// A colour component or palette index field: a number from 0 to 255 gives its whole part;
// anything else, the empty text included, gives nothing.
std::optional<int> ByteValue(std::string_view text);

}  // namespace rastel::fieldRules
