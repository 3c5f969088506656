// The formats whose pixel takes bytes from beyond its own: YUV in planes, whose chroma lies in
// planes after each frame's luma, and colour mosaics, whose missing colours come from the sites
// around them. The same entry points as the other formats, reached through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/pixels/FormatDecoder.h"

namespace rastel::core {

// The chroma samples as a pixel of a frame takes them: chroma row and column of its block.
struct ChromaSite {
    std::int64_t u = 0;  // the first byte of its U
    std::int64_t v = 0;  // of its V
};
ChromaSite ChromaOf(const FormatLayout& layout, std::int64_t x, std::int64_t y);

// Pixel (x, y) by the plain rule: for planes, channels Y, U, V as stored and `pair` the byte of
// its U; for a mosaic, the site's own sample and its colour (red 0, green 1, blue 2), each
// missing colour the mean, rounded down, of the nearest sites of that colour (two or four; at
// the picture's edges the sites across the edge mirror those inside), samples of more than 8
// bits averaged whole and shown by their high 8.
FormatPixel FramePixelAt(const FormatLayout& layout, ByteSpan data, std::int64_t x, std::int64_t y);

// As DecodeFormatRows, for these formats.
void DecodeFrameRows(const FormatLayout& layout, ByteSpan data, std::int64_t y0, std::int64_t y1,
                     std::int64_t x0, std::int64_t count, std::uint8_t* dst,
                     std::ptrdiff_t rowStep);

// As FormatCellOf, for planes: a chroma byte's cell is the first pixel of its block.
std::optional<modBITMAPinfo::Cell> PlanarCellOf(const FormatLayout& layout, std::int64_t b);

}  // namespace rastel::core
