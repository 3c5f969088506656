// Rows of a picture decoded straight from a byte source, reading only the bytes they need:
// what the streamed writers use instead of a decoded picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/base/ByteSource.h"
#include "image/pixels/PixelDecoder.h"

namespace rastel::modBITMAPinfo {

class WindowDecoder {
  public:
    // Rows narrower than this are decoded a band at a time.
    static constexpr std::int64_t kNarrow = 1024;

    WindowDecoder(const DecodeLayout& layout, core::ByteSource& source);

    // Rows [y0, y1) of columns [x0, x0 + count), row y at dst + (y - y0) * rowStep.
    // False when the source could not be read.
    bool Decode(std::int64_t y0, std::int64_t y1, std::int64_t x0, std::int64_t count,
                std::uint8_t* dst, std::ptrdiff_t rowStep);

  private:
    const DecodeLayout mLayout;
    core::ByteSource& mSource;
    const std::int64_t mPerByte;
    std::vector<std::uint8_t> mWindow;
    std::vector<std::uint8_t> mBand;
};

}  // namespace rastel::modBITMAPinfo
