// Rows of a picture in a direct format decoded straight from a byte source, reading only the
// bytes they need: what the streamed writers use, so that a large file is never expanded whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/base/ByteSource.h"
#include "image/pixels/FormatDecoder.h"
#include "image/pixels/WidePositions.h"

namespace rastel::core {

class FormatWindowDecoder {
  public:
    FormatWindowDecoder(const FormatLayout& layout, ByteSource& source);

    // Columns [x0, x0 + count) of rows [y0, y1), as DecodeFormatRows writes them.
    // False when the source could not be read.
    bool Decode(std::int64_t y0, std::int64_t y1, std::int64_t x0, std::int64_t count,
                std::uint8_t* dst, std::ptrdiff_t rowStep);
    // Gray16Range of rows [y0, y1); nothing when the source could not be read.
    std::optional<Range16> Range(std::int64_t y0, std::int64_t y1);

  private:
    // Calls use with a layout over the bytes those pixels need, and those bytes.
    template <class Use>
    bool Lend(std::int64_t y0, std::int64_t y1, std::int64_t x0, std::int64_t count,
              const Use& use);

    bool DecodePlanes(std::int64_t y0, std::int64_t y1, std::int64_t x0, std::int64_t count,
                      std::uint8_t* dst, std::ptrdiff_t rowStep);
    // Rows of n bytes, step apart from pos, into consecutive rows of out, bytes outside the
    // source 0; false when the source failed.
    bool ReadRows(Wide pos, std::int64_t step, std::int64_t n, std::int64_t rows,
                  std::uint8_t* out);

    const FormatLayout mLayout;
    ByteSource& mSource;
    std::vector<std::uint8_t> mWindow;
};

}  // namespace rastel::core
