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

TEST(FieldRules, WholePartTextRoundsDown) {
    const std::pair<double, const char*> cases[] = {
        {12.7, "12"}, {2.9, "2"}, {-1.5, "-2"}, {1.5, "1"}, {-5, "-5"}, {0.5, "0"}, {-0.5, "-1"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(WholePartText(value), text) << value;
    }
}

// Renders an edit verdict so that the tables read as the fields behave.
std::string Show(Edit e) {
    switch (e.kind) {
        case Edit::kLeave:
            return "leave";
        case Edit::kPutBack:
            return "put back";
        case Edit::kAccept:
            return std::to_string(e.value);
    }
    return "?";
}

TEST(FieldRules, WidthAcceptsOneUpToThePixelCount) {
    struct Case {
        const char* text;
        std::optional<std::int64_t> pixels;
        const char* result;
    };
    const Case cases[] = {
        {"", 1000, "leave"},
        {"1000", 1000, "1000"},
        {"1001", 1000, "put back"},
        {"7", 1000, "7"},
        {"12.7", 1000, "12"},
        {"1000.9", 1000, "1000"},
        {"1", 1000, "1"},
        {"0", 1000, "put back"},
        {"0.5", 1000, "put back"},
        {"-5", 1000, "put back"},
        {"abc", 1000, "put back"},
        {"1e3", 1000, "1000"},
        {"1e999", 1000, "put back"},
        {"150", std::nullopt, "150"},
        {"2147483647", std::nullopt, "2147483647"},
        {"2147483648", std::nullopt, "put back"},
        // A 2 GB file at 2 colours: the 32-bit header width is the bound, not P.
        {"2147483647", 17045651448, "2147483647"},
        {"2147483648", 17045651448, "put back"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(WidthEdit(c.text, c.pixels)), c.result) << '"' << c.text << '"';
    }
}

TEST(FieldRules, MagnificationAcceptsOneToEight) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "leave"},       {"1", "1"},        {"8", "8"},        {"2.9", "2"},
        {"8.5", "put back"}, {"9", "put back"}, {"0", "put back"}, {"0.5", "put back"},
        {"-1", "put back"},  {"x", "put back"}, {" 3 ", "3"},
    };
    for (const auto& [text, result] : cases) {
        EXPECT_EQ(Show(MagnificationEdit(text)), result) << '"' << text << '"';
    }
}

TEST(FieldRules, OffsetStaysInsideTheLimit) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "leave"},
        {"0", "0"},
        {"-5", "-5"},
        {"1.5", "1"},
        {"-1.5", "-2"},
        {"2130706430", "2130706430"},
        {"-2130706430", "-2130706430"},
        {"2130706430.9", "2130706430"},
        {"2130706431", "put back"},
        {"-2130706431", "put back"},
        {"-2130706430.5", "put back"},  // rounds down onto the limit
        {"1e999", "put back"},
        {"-", "put back"},
        {"x", "put back"},
    };
    for (const auto& [text, result] : cases) {
        EXPECT_EQ(Show(OffsetEdit(text)), result) << '"' << text << '"';
    }
}

TEST(FieldRules, ByteOffsetIsDecimalOrHexadecimalInsideTheFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "0"},      {"999", "999"},     {"12.7", "12"},  {"1e2", "100"}, {"0x3E7", "999"},
        {"0x0001", "1"}, {" 0X3e7 ", "999"}, {"1000", "out"}, {"-1", "out"},  {"0x3E8", "out"},
        {"0x1G", "no"},  {"-0x10", "no"},    {"x10", "no"},   {"0x", "no"},   {"", "no"},
    };
    for (const auto& [text, result] : cases) {
        const ByteOffset b = ByteOffsetValue(text, 1000);
        EXPECT_EQ(b.kind == ByteOffset::kOk           ? std::to_string(b.value)
                  : b.kind == ByteOffset::kOutOfRange ? "out"
                                                      : "no",
                  result)
            << '"' << text << '"';
    }
    EXPECT_EQ(ByteOffsetValue("0x1FFFFFFFFFFFFFFFF", 1000).kind, ByteOffset::kOutOfRange);
}

TEST(FieldRules, LeavingAFieldNeedsANumberInRange) {
    EXPECT_EQ(WidthOnLeave("128"), 128);
    EXPECT_EQ(WidthOnLeave(""), std::nullopt);
    EXPECT_EQ(WidthOnLeave("x"), std::nullopt);

    EXPECT_EQ(MagnificationOnLeave("3"), 3);
    EXPECT_EQ(MagnificationOnLeave("2.9"), 2);
    EXPECT_EQ(MagnificationOnLeave("9"), std::nullopt);
    EXPECT_EQ(MagnificationOnLeave("0"), std::nullopt);
    EXPECT_EQ(MagnificationOnLeave(""), std::nullopt);

    EXPECT_EQ(OffsetOnLeave("-1.5"), -2);
    EXPECT_EQ(OffsetOnLeave("2130706430"), 2130706430);
    EXPECT_EQ(OffsetOnLeave("2130706431"), std::nullopt);
    EXPECT_EQ(OffsetOnLeave("-"), std::nullopt);
    EXPECT_EQ(OffsetOnLeave(""), std::nullopt);
}

TEST(FieldRules, StepsFromTheTextOrTheLastAcceptedValue) {
    struct Case {
        const char* text;
        const char* last;
        int delta;
        const char* result;
    };
    const Case cases[] = {
        {"8", "8", +1, "9"},     {"1", "1", -1, "0"},
        {"", "5", +1, "6"},      {"", "5", -1, "4"},
        {"x", "-3", -1, "-4"},   {"2.5", "2", +1, "3.5"},
        {"-1", "-1", +1, "0"},   {"", "", +1, "1"},
        {"1e999", "1", +1, "2"}, {"2130706430", "0", +1, "2130706431"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StepText(c.text, c.last, c.delta), c.result)
            << '"' << c.text << "\" from \"" << c.last << "\" by " << c.delta;
    }
    // Whatever a step writes, the field's rules still refuse what is out of range.
    EXPECT_EQ(MagnificationEdit(StepText("8", "8", +1)).kind, Edit::kPutBack);
    EXPECT_EQ(MagnificationEdit(StepText("1", "1", -1)).kind, Edit::kPutBack);
    EXPECT_EQ(OffsetEdit(StepText("2130706430", "0", +1)).kind, Edit::kPutBack);
    EXPECT_EQ(OffsetEdit(StepText("-2130706430", "0", -1)).kind, Edit::kPutBack);
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
