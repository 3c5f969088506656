// Widths at which a file's pixels fall into rows, guessed from the data: a picture or a table
// of records repeats itself one row further on, so pixels one row apart look alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "image/base/ByteSource.h"
#include "image/pixels/Layout.h"
#include "image/pixels/PixelFormat.h"
#include "image/search/WidthElement.h"

namespace rastel::core {

struct WidthCandidate {
    std::int64_t width = 0;  // in pixels of the depth
    // From 0 to 1: how much closer pixels this far apart are than pixels at distances around
    // it (1: identical).
    double score = 0;
    // The bytes of the values or pixels the data was found to be made of (1 when none), and
    // as many pixels of the depth.
    int elementBytes = 1;
    std::int64_t elementPixels = 1;
    // The direct format this line shows the rows in, width counted in its pixels; none: the
    // pixels of the depth the suggestions were asked for.
    const PixelFormat* format = nullptr;
    // A frame size of video in that format: the rows of a frame, and the name the size goes
    // by; 0 for a width alone.
    std::int64_t frameHeight = 0;
    std::string_view sizeName = {};
};

// Up to count widths, best first, for the pixels that depth and order make of source. A
// width that is only a multiple of a better one is left out. When the data is made of
// values or pixels of several bytes, rows are compared with rows one element longer or
// shorter, and the element itself comes after any longer row. An element of 2, 3 or 4 bytes
// also offers the best row made of whole elements in the direct format of that size, right
// after it: rgb24, rgb0, or gray16le or gray16be, whichever has the byte more alike from one
// element to the next high, pairs counted from the file's start. Reads a bounded sample spread
// over the source, so the answer costs the same for any size. Unreadable when a read failed.
Result<std::vector<WidthCandidate>> SuggestWidths(ByteSource& source, std::int32_t depth,
                                                  std::int32_t order, int count = 8);

// The same for the pixels of bytes [begin, end) of source alone, a region of the file: places
// in elements and rows still count from the file's start, and the sample starts at the first
// multiple of 32 pixels from begin on, so that the orders' groups of bytes stay whole.
Result<std::vector<WidthCandidate>> SuggestWidths(ByteSource& source, std::int64_t begin,
                                                  std::int64_t end, std::int32_t depth,
                                                  std::int32_t order, int count = 8);

// Widths in pixels of a direct format, each line naming it: rows whose byte length is a
// whole number of its pixels, two pixels or more.
Result<std::vector<WidthCandidate>> SuggestWidths(ByteSource& source, const PixelFormat& format,
                                                  int count = 8);

// The widths for the layout's kind of pixel: its format, or its depth and order; for a YUV
// format, then the frame sizes of video whose frames fill the bytes from the layout's offset
// (SuggestFrameSizes), at most count of them.
Result<std::vector<WidthCandidate>> SuggestWidths(ByteSource& source, const Layout& kind,
                                                  int count = 8);

namespace widths {

// What the suggestions are made of, for the scan that looks for pictures in windows of a file.
struct Rows {
    std::vector<WidthCandidate> widths;  // as the suggestions' lines, no format offered
    Element element;
    std::vector<double> alike;  // PlaceLikeness of each place in the element
};

// Rows in pixels of the depth of bytes [begin, end), as SuggestWidths finds them from a
// sample of the given shape. Nothing when a read failed.
std::optional<Rows> FindRows(ByteSource& source, std::int64_t begin, std::int64_t end,
                             std::int32_t depth, std::int32_t order, int count,
                             const SampleShape& shape = {});

}  // namespace widths

}  // namespace rastel::core
