// What the status bar says of the pixel under the pointer.
#pragma once

#include <QString>
#include <cstdint>

#include "image/pixels/FormatDecoder.h"
#include "image/pixels/Layout.h"
#include "image/pixels/PixelDecoder.h"
#include "image/search/Overview.h"

namespace rastel {

// Pixel (x, y) of the picture that layout makes of data: its column and row, the byte that
// holds it (hexadecimal and decimal), which nibble or bit of it, and its value; or that it
// lies outside the file.
QString PointerReadout(const modBITMAPinfo::DecodeLayout& layout, modBITMAPinfo::ByteSpan data,
                       std::int64_t x, std::int64_t y);

// The same in a direct format: the pixel's first byte and its channels as stored, "R 200 G 31
// B 7" with "A 128" after them where the format has alpha, "値 4095" for gray16, "Y 81 U 90
// V 240" for YUV.
// Either, as the layout's kind says.
QString PointerReadout(const core::Layout& layout, core::ByteSpan data, std::int64_t x,
                       std::int64_t y);
QString PointerReadout(const core::FormatLayout& layout, core::ByteSpan data, std::int64_t x,
                       std::int64_t y);

// Bytes [first, end) of the file as the overview strip shows them: the kinds of bytes there in
// Japanese, with their shares when there are several, the entropy, and the range
// (hexadecimal and decimal).
QString StripReadout(const core::Overview& overview, std::int64_t first, std::int64_t end);

}  // namespace rastel
