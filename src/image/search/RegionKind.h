// Whether a region whose bytes fall into rows is a picture or a table: the pixels of a picture
// are alike along its rows about as much as down its columns, while a table's records are
// alike only down them, the same field under the same field, and their neighbouring fields
// are not.
#pragma once

#include <cstdint>
#include <optional>

#include "image/pixels/PixelFormat.h"
#include "image/search/PictureExtent.h"

namespace rastel::core::pictures {

// Whether bytes [begin, end), rows of shape, are a table rather than a picture. Neighbouring
// pixels are format's pixels or, with none, values of 1 to 4 bytes that shape's element is
// made of, whichever are the most alike. failed is set when a read failed.
bool LooksLikeTable(Peek& peek, const RowShape& shape, const PixelFormat* format,
                    std::int64_t begin, std::int64_t end, bool& failed);

// Whether the bytes of [begin, end) are as alike at a divisor of shape's element as at the
// element itself, as single bytes or 16-bit values are and the channels of pixels of several
// bytes are not: the element may have been found in other bytes nearby.
bool MayHideFinerElement(Peek& peek, const RowShape& shape, std::int64_t begin, std::int64_t end,
                         bool& failed);

}  // namespace rastel::core::pictures
