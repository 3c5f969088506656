#include "image/pixels/modCLUT.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace rastel::modCLUT {
namespace {

using modBITMAPinfo::Palette;
using modBITMAPinfo::RGBQUAD;

RGBQUAD Rgb(int r, int g, int b) {
    return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
            static_cast<std::uint8_t>(r), 0};
}

// Each component stepped on its own from a's colour, truncating toward a's side; the
// reserved bytes and the entries outside the run stay as they were.
TEST(Gradient, StepsEachComponentTruncatingTowardTheStart) {
    struct Case {
        int a, z;
        RGBQUAD colorA, colorZ;
        std::vector<std::pair<int, RGBQUAD>> between;
    };
    const Case cases[] = {
        {0, 4, Rgb(0, 0, 0), Rgb(255, 0, 0), {{1, Rgb(63, 0, 0)}, {3, Rgb(191, 0, 0)}}},
        {9, 12, Rgb(0, 90, 30), Rgb(30, 0, 90), {{10, Rgb(10, 60, 50)}, {11, Rgb(20, 30, 70)}}},
        {0, 255, Rgb(0, 0, 0), Rgb(255, 255, 255), {{100, Rgb(100, 100, 100)}}},
    };
    for (const Case& c : cases) {
        Palette colors;
        std::fill(std::begin(colors), std::end(colors), RGBQUAD{1, 2, 3, 9});
        colors[c.a] = c.colorA;
        colors[c.z] = c.colorZ;
        EXPECT_TRUE(Gradient(colors, c.a, c.z));
        for (auto [i, color] : c.between) {
            color.rgbReserved = 9;
            EXPECT_EQ(colors[i], color) << c.a << " to " << c.z << ", entry " << i;
        }
        EXPECT_EQ(colors[c.a], c.colorA);
        if (const int past = std::max(c.a, c.z) + 1; past < 256) {
            EXPECT_EQ(colors[past], (RGBQUAD{1, 2, 3, 9}));
        }
    }
    for (const auto& [a, z] : {std::pair{7, 8}, {8, 7}, {5, 5}, {-1, 3}, {0, 256}}) {
        Palette colors = {};
        colors[0] = colors[3] = Rgb(255, 255, 255);
        EXPECT_FALSE(Gradient(colors, a, z)) << a << ", " << z;
        EXPECT_EQ(colors[1], RGBQUAD{}) << a << ", " << z;
    }
}

TEST(Readout, ShowsIndexDecimalAndHexWithBlueFirst) {
    EXPECT_EQ(ReadoutText(0, Rgb(0, 0, 0)), "パレット番号  0(00) | R:  0 G:  0 B:  0[#000000]");
    EXPECT_EQ(ReadoutText(255, Rgb(1, 22, 171)),
              "パレット番号255(FF) | R:  1 G: 22 B:171[#AB1601]");
}

}  // namespace
}  // namespace rastel::modCLUT
