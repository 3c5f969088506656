// The PNG file of a picture: the pixels and 256-entry palette of its BMP, as 8-bit palette
// indices, or a picture of colours as 8-bit RGB, 8-bit RGBA or 16-bit grey; the top row first,
// written through libpng a few rows at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "image/files/BmpFile.h"

namespace rastel::core {

// A file name ending in ".png", in any case: such a name asks for a PNG file.
bool NamesPng(std::string_view name);

// Width and height are 31-bit in a PNG header.
bool PngCanHold(std::int64_t width, std::int64_t height);

// What a PNG file holds per pixel, and the bytes of it in a row: a palette index; red, green,
// blue; the same and alpha; a 16-bit grey value, high byte first.
enum class PngPixels { kIndexed, kRgb, kRgba, kGrey16, kRgb16, kRgba16 };
std::int64_t PngPixelBytes(PngPixels pixels);

// Fills rows [y0, y1) of the picture, row 0 at the top, row y at dst + (y - y0) * the row's
// bytes (the width times PngPixelBytes); done, or why they could not be had.
using RowFill = std::function<Outcome(std::int64_t y0, std::int64_t y1, std::uint8_t* dst)>;

// The rows of a decoded record (its pixel array holds them bottom-up, padded).
RowFill RecordRows(const modBITMAPinfo::DibImage& image);
// The rows decoded from source as they are needed; source must outlive the fill.
RowFill DecodedRows(const modBITMAPinfo::DecodeLayout& layout, ByteSource& source);

struct PngJob {
    std::int64_t width = 0;
    std::int64_t height = 0;
    PngPixels pixels = PngPixels::kIndexed;
    const modBITMAPinfo::Palette* palette = nullptr;  // kIndexed only
    RowFill rows{};
    WriteProgress progress{};                     // optional
    std::int64_t chunkBytes = kStreamChunkBytes;  // pixel bytes held at once, at least a row
};

// Writes the file to sink: done, cancelled, the rows' or the sink's failure, too large for a
// PNG file, out of memory, or libpng's own failure.
Outcome WritePng(ByteSink& sink, const PngJob& job);

}  // namespace rastel::core
