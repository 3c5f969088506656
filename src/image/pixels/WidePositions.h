// Positions a layout names, worked out in 128 bits so that no product of 64-bit fields
// overflows, then held to the 64-bit range, where they lie outside any data either way.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace rastel::core {

__extension__ using Wide = __int128;

inline std::int64_t Held(Wide v) {
    return static_cast<std::int64_t>(std::clamp<Wide>(v, std::numeric_limits<std::int64_t>::min(),
                                                      std::numeric_limits<std::int64_t>::max()));
}

inline Wide FloorDiv(Wide a, Wide b) {
    return a / b - (a % b != 0 && a < 0 ? 1 : 0);
}

}  // namespace rastel::core
