// The overview strip's rows: each stands for an equal share of the file, at least one byte.
#pragma once

#include <cstdint>

namespace rastel::core {

// Bytes [begin, end) of a file.
struct ByteRange {
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

// The bytes that row row of a strip of rows rows stands for, over a file of size bytes.
ByteRange StripRowBytes(std::int64_t size, std::int64_t rows, std::int64_t row);
// The first row that stands for byte pos.
std::int64_t StripRowOf(std::int64_t size, std::int64_t rows, std::int64_t pos);

}  // namespace rastel::core
