// Where the rows of a region found change length: two pictures back to back are followed as
// one at a row that fits both a little (rows a few pixels apart in length) or both exactly (a
// common multiple of their rows). Each part is told by the row its own bytes fit best.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "image/search/PictureExtent.h"

namespace rastel::core::pictures {

struct RowChange {
    std::int64_t row = 0;  // the row the part taken fits best
    // Where the part taken lies: a stretch of the region whose bytes fit that row best.
    std::int64_t begin = 0;
    std::int64_t end = 0;
    // Rows that other stretches fit clearly better: where they do, the region ends.
    std::vector<std::int64_t> rivals;
};

// How the rows of shape fit bytes [begin, end) of peek, compared here and there with rows of
// whole elements a little longer or shorter and with whole fractions of the row (at least
// minRow bytes): nothing when shape's row fits throughout, or parts are too small to tell.
// The part taken is the one that meets bytes near most (the window the region was found
// from), or the longest. failed is set when a read failed.
std::optional<RowChange> FindRowChange(Peek& peek, const RowShape& shape, std::int64_t begin,
                                       std::int64_t end, std::int64_t minRow,
                                       std::pair<std::int64_t, std::int64_t> near, bool& failed);

}  // namespace rastel::core::pictures
