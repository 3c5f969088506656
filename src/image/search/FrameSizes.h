// The frame sizes of video that a file of YUV frames may hold: those whose frame, in the format,
// fills the bytes after the offset a whole number of times, ranked by how alike their frames
// follow one another and their rows.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "image/base/ByteSource.h"
#include "image/base/Outcome.h"
#include "image/pixels/PixelFormat.h"

namespace rastel::core {

struct FrameSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::string_view name;  // as video names the size: "720p", "CIF"
    double score = 0;       // 0 to 1: how alike frames one after another are, and rows
};

// Whether a format's pictures are video frames: YUV, in planes or packed.
bool HasFrameSizes(const PixelFormat& format);

// Up to count sizes, best first, from QCIF to 4K, for frames of the format from byte offset;
// none for a format without frame sizes. Reads a bounded sample, so the answer costs the same
// for any size. Unreadable when a read failed.
Result<std::vector<FrameSize>> SuggestFrameSizes(ByteSource& source, const PixelFormat& format,
                                                 std::int64_t offset, int count = 8);

}  // namespace rastel::core
