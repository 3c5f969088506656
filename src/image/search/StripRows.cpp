#include "image/search/StripRows.h"

#include <algorithm>

namespace rastel::core {

ByteRange StripRowBytes(std::int64_t size, std::int64_t rows, std::int64_t row) {
    const std::int64_t begin = std::min(row * size / rows, std::max<std::int64_t>(size - 1, 0));
    const std::int64_t end = std::max((row + 1) * size / rows, begin + 1);
    return {begin, std::min(end, size)};
}

std::int64_t StripRowOf(std::int64_t size, std::int64_t rows, std::int64_t pos) {
    std::int64_t row =
        std::clamp<std::int64_t>(pos * rows / std::max<std::int64_t>(size, 1), 0, rows - 1);
    while (row + 1 < rows && StripRowBytes(size, rows, row).end <= pos) {
        ++row;
    }
    return row;
}

}  // namespace rastel::core
