// Drawing an 8-bit bottom-up indexed bitmap with its palette, or a picture in a direct format,
// each picture pixel a block of magX x magY screen pixels. Only the asked-for part is
// expanded, so the cost follows the size of the window, not of the picture.
#pragma once

#include <QImage>
#include <cstdint>

#include "image/pixels/PictureRows.h"
#include "image/pixels/modBITMAPinfo.h"

namespace rastel::toolkit {

// The part of the magnified picture whose top-left corner is (x0, y0) and whose size is
// width x height, as an RGB32 image; the first picture row is at the top. Parts outside the
// picture, or a record whose pixels do not cover its header, come out black.
// A null image when width x height cannot be held.
QImage ExpandIndexed(const modBITMAPinfo::DibImage& image, int magX, int magY, std::int64_t x0,
                     std::int64_t y0, int width, int height);

// The same for a picture held any way rows holds one; only the rows and columns in view are
// asked for. Palette indices take the palette's colours; colours of a direct format show as
// they are, those with alpha over the checkerboard, whose squares count screen pixels from the
// magnified picture's corner.
QImage ExpandPicture(core::PictureRows& rows, const modBITMAPinfo::Palette& palette, int magX,
                     int magY, std::int64_t x0, std::int64_t y0, int width, int height);

// True when the whole magnified picture fits one image of at most maxBytes pixel bytes.
bool FitsOneImage(std::int64_t width, std::int64_t height,
                  std::int64_t maxBytes = std::int64_t{256} << 20);

}  // namespace rastel::toolkit
