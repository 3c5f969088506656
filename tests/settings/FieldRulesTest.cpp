#include "settings/FieldRules.h"

#include <gtest/gtest.h>

#include <limits>

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

namespace rastel::fieldRules {
namespace {

TEST(FieldRules, NumbersInTheUsualNotation) {
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"12", 12},
        {" -1.5 ", -1.5},
        {"+7", 7},
        {".5", 0.5},
        {"5.", 5},
        {"1e2", 100},
        {"2.5E-1", 0.25},
        {"0012", 12},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"1e", std::nullopt},
        {"12a", std::nullopt},
        {"&H10", std::nullopt},
        {"0x10", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"1 2", std::nullopt},
        {"--1", std::nullopt},
        {"1e999", std::nullopt},
        {"-1e999", std::nullopt},
        {"1e-999", std::numeric_limits<double>::denorm_min()},
        {"-0.0000000001e-320", -std::numeric_limits<double>::denorm_min()},
        {"0e999", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseNumber(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(FieldRules, WholePartRoundsDown) {
    EXPECT_EQ(WholePart(2.9), 2);
    EXPECT_EQ(WholePart(-1.5), -2);
    EXPECT_EQ(WholePart(-0.0), 0);
    EXPECT_EQ(WholePart(1e300), 9200000000000000000);
    EXPECT_EQ(WholePart(-1e300), -9200000000000000000);
    EXPECT_EQ(WholePart(std::numeric_limits<double>::quiet_NaN()), 0);  // found by fuzzing
}

// Found by fuzzing: "1e-400" was refused although it is a number, only a very small one.
TEST(FieldRules, NumbersTooSmallForADoubleKeepTheirSign) {
    EXPECT_EQ(WholePart(*ParseNumber("1e-400")), 0);
    EXPECT_EQ(WholePart(*ParseNumber("-1e-400")), -1);
    EXPECT_EQ(WholePart(*ParseNumber(" -0.000000000000000000001e-310")), -1);
    EXPECT_EQ(ByteValue("1e-400"), 0);
    EXPECT_EQ(ByteValue("-1e-400"), std::nullopt);
}

TEST(FieldRules, ByteValueTakesZeroTo255) {
    struct Case {
        const char* text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"255", 255},
        {"12.7", 12},
        {"255.0", 255},
        {"1e2", 100},
        {"256", std::nullopt},
        {"255.5", std::nullopt},
        {"-1", std::nullopt},
        {"-0.5", std::nullopt},
        {"", std::nullopt},
        {"x", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ByteValue(c.text), c.value) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace rastel::fieldRules
