// The rules of the settings dialog's fields that need no widget.
#pragma once

#include <cstdint>

namespace rastel::fieldRules {

// The pixels a file of fileSize bytes holds at a depth (0 for an unknown depth).
// 64-bit: a 2 GB file at 2 colours has over 17 billion.
std::int64_t PixelCount(std::int64_t fileSize, std::int32_t depth);

// The fewest rows of width pixels that hold all pixels (width at least 1).
std::int64_t HeightForWidth(std::int64_t pixels, std::int64_t width);

}  // namespace rastel::fieldRules
