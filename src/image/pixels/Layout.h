// How a picture's pixels lie in the file, one value for every kind of pixel: an entry of the
// format table, palette indices at a depth and order with their offset counted in pixels, or a
// format of colours with its offset counted in bytes and a row stride. Made from the settings
// in one place, LayoutOf, and taken by everything that draws, writes, reads back or goes to a
// byte.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "image/pixels/FormatDecoder.h"
#include "image/pixels/PixelDecoder.h"
#include "image/pixels/PixelFormat.h"
#include "image/pixels/modBITMAPinfo.h"

namespace rastel::core {

struct Layout {
    const PixelFormat* format = &kFormats[0];  // an entry of the table, never a copy
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t offset = 0;       // pixels of the depth for palette indices, bytes for a format
    std::int64_t stride = 0;       // a format's bytes from one row's start to the next; 0: packed
    std::int64_t frameHeight = 0;  // rows of a frame of planes; 0: one frame of every row

    bool indexed() const { return format->family == FormatFamily::Indices; }
    // For palette indices only.
    modBITMAPinfo::DecodeLayout Indices() const {
        return {format->depth, format->order, width, height, offset};
    }
    // For a format only.
    FormatLayout Colours() const {
        return {format, width,  height,
                offset, stride, format->family == FormatFamily::Planar ? frameHeight : 0};
    }
};

// The layout of the picture the settings show. Settings no dialog makes read as the stored
// order of their depth, or as 256 colours in stored order for a depth outside the list.
Layout LayoutOf(const modBITMAPinfo::ViewSettings& s);

// The pixels a file of fileSize bytes holds in the layout's kind (its format, or its depth),
// a last one cut short counted.
std::int64_t PixelCountOf(const Layout& kind, std::int64_t fileSize);
// The rows that width pixels of the layout's kind, with its stride, take to hold the file.
std::int64_t RowsFor(const Layout& kind, std::int64_t fileSize, std::int64_t width);

// Columns [x0, x0 + count) of rows [y0, y1) into dst, DecodedBytes of the format each, row y
// starting at dst + (y - y0) * rowStep bytes (negative for a bottom-up buffer): every layout's
// fast path. Only those pixels are written; any byte outside data reads as 0.
void DecodeRows(const Layout& l, ByteSpan data, std::int64_t y0, std::int64_t y1, std::int64_t x0,
                std::int64_t count, std::uint8_t* dst, std::ptrdiff_t rowStep);

// Whether a format's layout shows a picture of the file: a row at least, and settings its
// rules accept.
bool Drawable(const FormatLayout& l, std::int64_t fileSize);

// The inverse, for go-to and the strip: the cell of the picture that shows byte b (its first
// pixel); nothing where the picture does not show it. And whether b then lies before the
// picture's start rather than past its end.
std::optional<modBITMAPinfo::Cell> CellOf(const Layout& l, std::int64_t b);
bool BeforeStart(const Layout& l, std::int64_t b);
// The bytes that rows [y0, y1) show, from the least to one past the greatest, within
// [0, size].
std::pair<std::int64_t, std::int64_t> BytesOfRows(const Layout& l, std::int64_t y0, std::int64_t y1,
                                                  std::int64_t size);

}  // namespace rastel::core
