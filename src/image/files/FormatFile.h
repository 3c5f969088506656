// The files of a picture in a direct format, its rows decoded from the file's bytes on their way
// and never held whole: a BMP of 24 bits per pixel, of 32 with alpha, or of 8-bit grey levels
// for gray16 (as the screen shows it); a PNG of 8-bit RGB, 8-bit RGBA, or 16-bit grey holding
// gray16's own values.
#pragma once

#include <cstdint>
#include <optional>

#include "image/files/BmpFile.h"
#include "image/files/PngFile.h"
#include "image/pixels/FormatDecoder.h"

namespace rastel::core {

// The BMP's bits per pixel for a format: 24, 32 for the formats with alpha, 8 for gray16.
int FormatBmpBits(const PixelFormat& format);
// What the PNG holds per pixel for a format.
PngPixels FormatPngPixels(const PixelFormat& format);

// The smallest and largest value of a gray16 picture over source, a band of rows at a time,
// telling progress the rows measured (false cancels); nothing when cancelled or the source
// failed (source.result() says which). chunkBytes bounds the values held at once.
std::optional<Range16> MeasureGrey(const FormatLayout& layout, ByteSource& source,
                                   const WriteProgress& progress = {},
                                   std::int64_t chunkBytes = kStreamChunkBytes);

// Writes the BMP of the layout's picture over source to sink. gray16 is spread over the grey
// levels from grey.lo to grey.hi (GreyLevel); without a range the picture's own is measured
// first, in a pass that reports the first half of the progress. The picture must pass BmpHolds.
// Done, cancelled, or the source's or the sink's failure. chunkBytes bounds the decoded pixels
// held at once.
Outcome WriteFormatBmp(ByteSink& sink, const FormatLayout& layout, ByteSource& source,
                       std::optional<Range16> grey, const WriteProgress& progress = {},
                       std::int64_t chunkBytes = kStreamChunkBytes);

// The PNG rows of the layout's picture (FormatPngPixels), decoded from source as they are
// needed; source must outlive the fill.
RowFill FormatPngRows(const FormatLayout& layout, ByteSource& source,
                      std::int64_t chunkBytes = kStreamChunkBytes);

}  // namespace rastel::core
