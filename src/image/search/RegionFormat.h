// The direct format that shows a region whose bytes fall into rows, from the element the rows
// are made of and the region's own bytes.
#pragma once

#include <cstdint>

#include "image/pixels/PixelFormat.h"
#include "image/search/PictureExtent.h"
#include "image/search/WidthHints.h"

namespace rastel::core::pictures {

struct FormatChoice {
    const PixelFormat* format = nullptr;  // none: palette indices
    // Where in the element, as the file counts places, a pixel starts; -1 where the data
    // cannot tell.
    std::int64_t phase = -1;
    // The rows' bytes where they are not those found: a mosaic's rows alternate, so its rows
    // are found two at a time. 0: as found.
    std::int64_t rowBytes = 0;
};

// 3 bytes rgb24, from the pixel its channels make; 4 bgra, or bgr0 when no place varies as an alpha
// does; 2 rgb565le when the low five bits of the less alike byte are a channel, otherwise a 16-bit
// value whose high byte is the more alike one: gray16be or gray16le as the values show; 6 and 8
// rgb48le and rgba64le where every other byte is more alike, as the high bytes of 16-bit
// channels are. Single bytes, or pairs, whose bytes two apart along rows and down columns are
// far more alike than neighbours are a colour mosaic: bayer_rggb8 or bayer_grbg8, as its green
// sites show. Bytes [begin, end) are the region, in rows of rowBytes. failed is set when a read
// failed.
FormatChoice ChooseFormat(Peek& peek, const widths::Rows& rows, std::int64_t begin,
                          std::int64_t end, std::int64_t rowBytes, bool& failed);

}  // namespace rastel::core::pictures
