#include "image/WidthHints.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

namespace rastel::modBITMAPinfo {
namespace {

// A smooth picture of w columns: each value follows those above and to its left.
std::vector<int> Smooth(int w, int h, int levels) {
    std::mt19937 rng(w);
    std::vector<int> v(static_cast<std::size_t>(w * h));
    for (int i = 0; i < w * h; ++i) {
        const int up = i >= w ? v[i - w] : levels / 2, left = i % w ? v[i - 1] : up;
        v[i] = std::clamp((up + left) / 2 + static_cast<int>(rng() % 5) - 2, 0, levels - 1);
    }
    return v;
}

TEST(SuggestWidths, PutsTheTrueRowLengthFirst) {
    std::vector<std::uint8_t> grey, nibbles, table;
    for (const int v : Smooth(300, 200, 256)) {
        grey.push_back(static_cast<std::uint8_t>(v));
    }
    const std::vector<int> sixteen = Smooth(90, 400, 16);
    for (std::size_t i = 0; i < sixteen.size(); i += 2) {
        nibbles.push_back(static_cast<std::uint8_t>(sixteen[i] << 4 | sixteen[i + 1]));
    }
    // Records of 37 bytes: a counter, letters, zeros and random bytes.
    std::mt19937 rng(37);
    for (int i = 0; i < 3000; ++i) {
        for (int j = 0; j < 37; ++j) {
            table.push_back(static_cast<std::uint8_t>(j < 4    ? i >> (8 * j)
                                                      : j < 24 ? 'A' + rng() % 26
                                                      : j < 28 ? 0
                                                               : rng()));
        }
    }
    for (const auto& [name, data, depth, width] :
         {std::tuple{"grey picture", &grey, kDepth256, 300},
          {"16 colours", &nibbles, kDepth16, 90},
          {"table", &table, kDepth256, 37},
          {"table in bits", &table, kDepth2, 37 * 8}}) {
        SpanSource source(*data);
        const auto widths = SuggestWidths(source, depth, 0);
        ASSERT_TRUE(widths && !widths->empty()) << name;
        EXPECT_EQ(widths->front().width, width) << name;
        EXPECT_LE(widths->size(), 8u);
        for (const auto& w : *widths) {
            // No multiple of the true width crowds in behind it.
            EXPECT_TRUE(w.width == width || w.width % width != 0) << name << " " << w.width;
            EXPECT_LE(w.score, widths->front().score);
        }
    }
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
