// Turning bytes in a direct format into pixels the view and the writers use without knowing
// the format: 32-bit colours for colour and YUV formats, the 16-bit values for gray16.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include <optional>

#include "image/pixels/PixelDecoder.h"
#include "image/pixels/PixelFormat.h"

namespace rastel::core {

// A decoded colour: 0xAARRGGBB held as a native 32-bit number (bytes B, G, R, A in memory on
// a little-endian machine, as QImage::Format_ARGB32 has them); alpha is 255 for every family
// but Alpha. Gray16 decodes to its 16-bit values instead, palette indices to one byte each.
constexpr std::int64_t DecodedBytes(const PixelFormat& format) {
    return format.family == FormatFamily::Indices  ? 1
           : format.family == FormatFamily::Gray16 ? 2
                                                   : 4;
}

// YUV 4:2:2 to RGB by BT.601 at limited range (Y 16..235, U and V 16..240): the coefficients
// in fixed point with 20 fractional bits, each channel rounded to the nearest level and held
// to 0..255.
std::uint32_t YuvColour(int y, int u, int v);

// One pixel, worked out by the plain rule: what the status bar names and what the fast
// decoders must agree with.
struct FormatPixel {
    std::int64_t byte = 0;  // its first byte (outside the file for a pixel past its ends)
    std::int64_t pair = 0;  // Yuv422: the first byte of the pair whose U and V it shows
    // The channels as stored, before widening: red, green, blue, alpha for Opaque and Alpha
    // (alpha 0 when opaque); the value for Gray16; Y, U, V for Yuv422.
    std::array<std::uint32_t, 4> channels{};
    std::uint32_t value = 0;  // what the decoders write: the colour, or the 16-bit value
};

// Pixel (x, y) of the layout over data. Any byte it needs outside data reads as 0.
FormatPixel FormatPixelAt(const FormatLayout& layout, ByteSpan data, std::int64_t x,
                          std::int64_t y);

// The inverse, for go-to and the overview strip: the cell whose pixel holds byte b (for a byte
// a stride skips after a row's pixels, that row's last cell); nothing when b lies before the
// picture's first byte or below its last row.
std::optional<modBITMAPinfo::Cell> FormatCellOf(const FormatLayout& layout, std::int64_t b);

// Columns [x0, x0 + count) of rows [y0, y1) into dst, DecodedBytes each, row y starting at
// dst + (y - y0) * rowStep bytes (negative for a bottom-up buffer). Only those pixels are
// written.
void DecodeFormatRows(const FormatLayout& layout, ByteSpan data, std::int64_t y0, std::int64_t y1,
                      std::int64_t x0, std::int64_t count, std::uint8_t* dst,
                      std::ptrdiff_t rowStep);

// The smallest and largest gray16 value among some pixels; lo > hi while there are none.
struct Range16 {
    std::uint16_t lo = 0xFFFF;
    std::uint16_t hi = 0;

    bool empty() const { return lo > hi; }
    void Add(std::uint16_t v);
    void Add(Range16 other);
    bool operator==(const Range16&) const = default;
};

// Over every pixel of rows [y0, y1) of a gray16 layout, pixels past the file's ends (0)
// included: cheap enough to take a band at a time while the file is read or decoded.
Range16 Gray16Range(const FormatLayout& layout, ByteSpan data, std::int64_t y0, std::int64_t y1);

}  // namespace rastel::core
