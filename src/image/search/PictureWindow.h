// What one window of smooth cells holds: the region the rows found in it give, followed to
// where they stop, cut where the rows change length or element, and named a picture or a
// table, with its format.
#pragma once

#include <cstdint>
#include <optional>

#include "image/base/ByteSource.h"
#include "image/search/PictureExtent.h"
#include "image/search/PictureScan.h"

namespace rastel::core::pictures {

// A picture has at least kMinRows rows and kMinBytes bytes.
constexpr std::int64_t kMinRows = 8;
constexpr std::int64_t kMinBytes = 2048;

// A run of smooth cells to look at for rows.
struct Window {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::int64_t weight = 0;  // smooth cells in it

    bool operator==(const Window&) const = default;
};

// A region found, and the bytes its window's rows first reached: where they reach beyond it,
// other rows were found, of things to look at again.
struct Found {
    PictureRegion region;
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

// The first picture in a window, if it holds one: the window is left alone when most of it is
// text or random bytes, and otherwise tried at the best few widths its bytes suggest.
// looks counts the windows' worth of rows sought, this one's and those its regions' own bytes
// were asked for.
std::optional<Found> Examine(ByteSource& source, Peek& peek, const Window& w, int& looks,
                             bool& failed);

}  // namespace rastel::core::pictures
