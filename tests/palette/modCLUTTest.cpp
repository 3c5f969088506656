#include "palette/modCLUT.h"

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

TEST(Gradient, StepsTruncateTowardTheStart) {
    struct Case {
        int a, z;
        RGBQUAD colorA, colorZ;
        std::vector<std::pair<int, RGBQUAD>> expected;
    };
    const Case cases[] = {
        {0,
         4,
         Rgb(0, 0, 0),
         Rgb(255, 0, 0),
         {{1, Rgb(63, 0, 0)}, {2, Rgb(127, 0, 0)}, {3, Rgb(191, 0, 0)}}},
        {4,
         0,
         Rgb(255, 0, 0),
         Rgb(0, 0, 0),
         {{3, Rgb(192, 0, 0)}, {2, Rgb(128, 0, 0)}, {1, Rgb(64, 0, 0)}}},
        {10, 13, Rgb(200, 0, 0), Rgb(100, 0, 0), {{11, Rgb(167, 0, 0)}, {12, Rgb(134, 0, 0)}}},
        // Every component on its own, in both directions of change.
        {9, 12, Rgb(0, 90, 30), Rgb(30, 0, 90), {{10, Rgb(10, 60, 50)}, {11, Rgb(20, 30, 70)}}},
        {12, 9, Rgb(0, 90, 30), Rgb(30, 0, 90), {{11, Rgb(10, 60, 50)}, {10, Rgb(20, 30, 70)}}},
    };
    for (const Case& c : cases) {
        Palette colors = {};
        for (RGBQUAD& entry : colors) {
            entry = {1, 2, 3, 9};  // the reserved byte must survive
        }
        colors[c.a] = c.colorA;
        colors[c.z] = c.colorZ;
        Palette expected;
        std::copy(std::begin(colors), std::end(colors), std::begin(expected));
        for (const auto& [i, color] : c.expected) {
            expected[i] = color;
            expected[i].rgbReserved = 9;
        }
        EXPECT_TRUE(Gradient(colors, c.a, c.z));
        for (int i = 0; i < modBITMAPinfo::kPaletteSize; ++i) {
            EXPECT_EQ(colors[i], expected[i]) << "from " << c.a << " to " << c.z << ", entry " << i;
        }
    }
}

TEST(Gradient, BlackToWhiteGivesTheGreyRamp) {
    Palette colors = {};
    colors[255] = Rgb(255, 255, 255);
    EXPECT_TRUE(Gradient(colors, 0, 255));
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(colors[i], Rgb(i, i, i)) << i;
    }
}

TEST(Gradient, WritesNothingWithoutAnEntryBetween) {
    const std::pair<int, int> ends[] = {{7, 8}, {8, 7}, {5, 5}, {-1, 3}, {0, 256}};
    for (const auto& [a, z] : ends) {
        Palette colors = {};
        colors[0] = Rgb(255, 255, 255);
        colors[3] = Rgb(255, 255, 255);
        colors[8] = Rgb(255, 0, 0);
        Palette before;
        std::copy(std::begin(colors), std::end(colors), std::begin(before));
        EXPECT_FALSE(Gradient(colors, a, z)) << a << ", " << z;
        EXPECT_TRUE(std::equal(std::begin(colors), std::end(colors), std::begin(before)));
    }
}

TEST(Readout, ShowsIndexDecimalAndHexWithBlueFirst) {
    EXPECT_EQ(ReadoutText(0, Rgb(0, 0, 0)), "パレット番号  0(00) | R:  0 G:  0 B:  0[#000000]");
    EXPECT_EQ(ReadoutText(10, Rgb(255, 128, 0)),
              "パレット番号 10(0A) | R:255 G:128 B:  0[#0080FF]");
    EXPECT_EQ(ReadoutText(255, Rgb(1, 22, 171)),
              "パレット番号255(FF) | R:  1 G: 22 B:171[#AB1601]");
}

}  // namespace
}  // namespace rastel::modCLUT
