// A picture found inside a file, written out alone: a PNG of its bytes in its format and width,
// named by its start, size and format, as the renderer's --extract and the window write them.
#pragma once

#include <string>

#include "image/base/ByteSource.h"
#include "image/files/PictureFile.h"
#include "image/search/PictureScan.h"

namespace rastel::core {

// Where a part of a file that begins at byte first is read from: the start of the aligned
// group of 4 bytes it begins in, so that the orders that reverse groups take the same bytes
// together as in the whole file.
constexpr std::int64_t GroupStart(std::int64_t first) {
    return first / 4 * 4;
}

// The format a region is shown in: its own, or palette indices at 256 colours in stored order,
// as the search read its bytes.
const PixelFormat& FormatOf(const PictureRegion& region);

// The rows of a region that is a frame of YUV in planes, each plane's rows its own: the
// frame's height. 0 for any other region, whose rows are its bytes over a row's.
std::int64_t FrameRowsOf(const PictureRegion& region);

// "0x01325cb0-1024x768-bgr0.png": the start in hexadecimal, the width and rows, the format.
std::string RegionFileName(const PictureRegion& region);

// The region's bytes of source written to path as a PNG, atomically: palette indices as 8-bit
// grey. Done, or WritePicture's failure.
Outcome WriteRegion(ByteSource& source, const PictureRegion& region, const std::string& path,
                    const WriteProgress& progress = {});

}  // namespace rastel::core
