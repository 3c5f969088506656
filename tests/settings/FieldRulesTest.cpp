#include "settings/FieldRules.h"

#include <gtest/gtest.h>

namespace rastel::fieldRules {
namespace {

TEST(FieldRules, HeightCoversEveryPixelAtEachDepth) {
    struct Case {
        std::int64_t size;
        std::int32_t depth;
        std::int64_t width, height;
    };
    const Case cases[] = {
        {1000, 0, 128, 8}, {1000, 1, 128, 16}, {1000, 2, 128, 63}, {1000, 0, 1000, 1},
        {1000, 0, 7, 143}, {100, 1, 150, 2},   {1, 2, 8, 1},       {1, 2, 3, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HeightForWidth(PixelCount(c.size, c.depth), c.width), c.height)
            << c.size << " bytes, depth " << c.depth << ", width " << c.width;
    }
}

TEST(FieldRules, PixelCountIs64Bit) {
    EXPECT_EQ(PixelCount(2130706431, 2), 17045651448);
    EXPECT_EQ(PixelCount(2130706431, 1), 4261412862);
    EXPECT_EQ(HeightForWidth(17045651448, 1), 17045651448);
    EXPECT_EQ(PixelCount(10, 3), 0);
}

}  // namespace
}  // namespace rastel::fieldRules
