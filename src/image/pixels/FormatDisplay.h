// How pictures in direct formats are shown: gray16 spread over the grey levels from its
// smallest value present to its largest, colours with alpha over a checkerboard so that
// transparency shows.
#pragma once

#include <cstdint>
#include <vector>

#include "image/pixels/FormatDecoder.h"

namespace rastel::core {

// The grey level of v: 0 at range.lo, 255 at range.hi, linear between, rounded to the nearest
// level and held to 0..255 outside. A range of one value, or none, leaves nothing to spread:
// each value then shows as its high byte.
std::uint8_t GreyLevel(std::uint16_t v, Range16 range);

// GreyLevel of one range for every value, looked up: what a view or writer uses per pixel.
class GreyScale {
  public:
    explicit GreyScale(Range16 range);
    std::uint8_t operator()(std::uint16_t v) const { return mLevels[v]; }
    void Row(const std::uint16_t* values, std::int64_t count, std::uint8_t* out) const;

  private:
    std::vector<std::uint8_t> mLevels;
};

// The gray16 range of a picture taken while its file is read, a band of rows at a time as the
// bytes they need arrive: the read is then the only pass over them.
class GreyMeter {
  public:
    explicit GreyMeter(const FormatLayout& layout) : mLayout(layout) {}
    // data is the whole file's buffer, of which the first `arrived` bytes are in.
    void Arrived(ByteSpan data, std::int64_t arrived);
    // Once every byte is in: the rows left, and the range of the whole picture.
    Range16 Done(ByteSpan data);

  private:
    const FormatLayout mLayout;
    std::int64_t mRows = 0;  // rows measured so far
    Range16 mRange;
};

// The checkerboard under colours with alpha: squares of 8 screen pixels, two light greys.
inline constexpr int kCheckerSquare = 8;
inline constexpr std::uint8_t kCheckerLight = 0xFF;
inline constexpr std::uint8_t kCheckerDark = 0xCC;

// The checkerboard's grey at screen pixel (sx, sy), both at least 0: light in the square at
// (0, 0).
constexpr std::uint8_t CheckerTone(std::int64_t sx, std::int64_t sy) {
    return ((sx / kCheckerSquare + sy / kCheckerSquare) % 2 == 0) ? kCheckerLight : kCheckerDark;
}

// A decoded colour over an opaque grey: each channel (c * a + grey * (255 - a)) / 255, rounded.
constexpr std::uint32_t OverGrey(std::uint32_t argb, std::uint8_t grey) {
    const std::uint32_t a = argb >> 24;
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t c = (argb >> shift) & 0xFF;
        out |= (c * a + grey * (255 - a) + 127) / 255 << shift;
    }
    return out;
}

}  // namespace rastel::core
