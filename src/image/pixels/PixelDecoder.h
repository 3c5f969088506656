// Turning the file's bytes into palette indices, one byte per pixel, at any depth and order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <utility>

#include "image/base/Outcome.h"
#include "image/pixels/modBITMAPinfo.h"

namespace rastel::modBITMAPinfo {

using ByteSpan = std::span<const std::uint8_t>;

// The pixel at position p (pixels of the depth counted from the start of data), or 0 where
// p is negative, a byte it needs lies outside data, or the depth or order is unknown.
// This is the plain rule, the bits SourceOf names; the run decoder below must agree with it
// everywhere.
std::uint8_t PixelAt(std::int32_t depth, std::int32_t order, ByteSpan data, std::int64_t p);

// Where the pixel at a position takes its bits from: the pixel is
// (byte value >> shift) & ((1 << bits) - 1). The byte may lie outside the data; the pixel is
// then 0.
struct PixelSource {
    std::int64_t byte = 0;
    int shift = 0;
    int bits = 8;  // 8, 4 or 1

    bool operator==(const PixelSource&) const = default;
};

// The inverse of PixelAt: where pixel p comes from. Nothing for a negative p, or a depth or
// order PixelAt does not know (those pixels are always 0).
std::optional<PixelSource> SourceOf(std::int32_t depth, std::int32_t order, std::int64_t p);

// The lowest position whose pixel shows bits of byte b, so that all of the byte's pixels
// start there; nothing where SourceOf would give nothing, or for a negative b.
std::optional<std::int64_t> FirstPositionOf(std::int32_t depth, std::int32_t order, std::int64_t b);

// Writes the pixels at positions p0 .. p0 + count - 1 to out[0 .. count - 1].
void DecodeRun(std::int32_t depth, std::int32_t order, ByteSpan data, std::int64_t p0,
               std::int64_t count, std::uint8_t* out);

// What a decode needs of the settings, fixed for a whole picture.
struct DecodeLayout {
    std::int32_t depth = kDepth256;
    std::int32_t order = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t offset = 0;

    static DecodeLayout From(const ViewSettings& s, std::int64_t offset);
    std::int64_t stride() const { return RowStride(width); }
    // y * width + x + offset, held at the 64-bit limits: a position past them lies outside
    // any data either way, and wrapping round would bring it back inside.
    std::int64_t position(std::int64_t y, std::int64_t x) const;
};

// Column x and row y of a picture, or where a byte's first pixel sits in it.
struct Cell {
    std::int64_t x = 0;
    std::int64_t y = 0;

    bool operator==(const Cell&) const = default;
};

// Where pixel (x, y) of the picture comes from in the file.
std::optional<PixelSource> SourceAt(const DecodeLayout& layout, std::int64_t x, std::int64_t y);

// The cell of the picture that shows byte b's first pixel; nothing when that pixel lies
// before the picture's start or below its last row.
std::optional<Cell> CellOf(const DecodeLayout& layout, std::int64_t b);

// The bytes that rows [y0, y1) show, from the least to one past the greatest, within
// [0, size]: where an order reverses a group of bytes, a row's first pixel need not show the
// row's least byte.
std::pair<std::int64_t, std::int64_t> BytesOfRows(const DecodeLayout& layout, std::int64_t y0,
                                                  std::int64_t y1, std::int64_t size);

// Decodes picture rows [y0, y1) (row 0 shows the first bytes) into dst: row y starts at
// dst + (y - y0) * rowStep. rowStep may be negative to fill a bottom-up buffer. Only the
// width's pixels are written, so padding keeps whatever the caller put there.
void DecodeRows(const DecodeLayout& layout, ByteSpan data, std::int64_t y0, std::int64_t y1,
                std::uint8_t* dst, std::ptrdiff_t rowStep);

// The limits of the BMP header: 32-bit signed width and height, and a file size
// (1078 + biSizeImage + 1) that fits its 32-bit field. Done; kBadSize for a width or height
// below 1; kTooLarge beyond them.
core::Outcome CheckBmpGeometry(std::int64_t width, std::int64_t height);

// Sets the header fields a decode owns for a picture of this size (which must pass
// CheckBmpGeometry); the pixels-per-metre and important-colour fields are left as they are.
void FillHeader(BITMAPINFOHEADER& header, std::int64_t width, std::int64_t height);

// Rebuilds the header and pixel array of image from data: done, or the geometry's refusal, or
// kOutOfMemory for the pixel array. On any failure the image is left exactly as it was, so the
// caller can keep showing the previous picture.
core::Outcome DecodePixels(DibImage& image, ByteSpan data, std::int64_t offset);

// The same, calling progress between bands of rows with the rows done so far; when it returns
// false the decode stops, cancelled, and the image is left as it was.
using DecodeProgress = std::function<bool(std::int64_t rowsDone, std::int64_t rows)>;
core::Outcome DecodePixels(DibImage& image, ByteSpan data, std::int64_t offset,
                           const DecodeProgress& progress);

}  // namespace rastel::modBITMAPinfo
