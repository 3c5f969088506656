// Tight loops that decode whole groups of pixels whose bytes all lie inside the data.
// A group is the smallest run of pixels that starts on a byte boundary and repeats the
// order's pattern: 4 pixels from 4 bytes for the reversed long, 8 pixels from 1 byte at
// 2 colours, and so on.
#pragma once

#include <cstdint>

namespace rastel::modBITMAPinfo::kernels {

struct Kernel {
    std::int64_t groupPixels;
    std::int64_t groupBytes;
    void (*run)(const std::uint8_t* in, std::int64_t groups, std::uint8_t* out);
};

// The kernel of a depth and order, or nullptr when the order is not in the depth's list.
const Kernel* Find(std::int32_t depth, std::int32_t order);

}  // namespace rastel::modBITMAPinfo::kernels
