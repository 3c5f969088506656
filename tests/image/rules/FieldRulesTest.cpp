// The fields' rules at their literal limits. The field rules fuzz check takes its limits from
// the code, so these rows are what sees a wrong limit there; the notation of numbers and the
// rounding are the fuzz check's business.
#include "image/rules/FieldRules.h"

#include <gtest/gtest.h>

#include "image/pixels/modBITMAPinfo.h"

namespace rastel::fieldRules {
namespace {

// The height a new file gets counts bytes, whatever the depth: the settings dialog works it
// out again from the depth's pixels as it opens, which is the height a picture is drawn at.
TEST(FieldRules, ANewFileGetsWidth128OrItsSizeAndTheOffsetOff) {
    for (const auto& [size, width, height] :
         {std::tuple{127, 127, 1}, {128, 128, 1}, {129, 128, 2}}) {
        modBITMAPinfo::ViewSettings s;
        s.gColBit = modBITMAPinfo::kDepth16;
        s.gUseOffset = true;
        s.gOffA = 77;
        modBITMAPinfo::SetForNewFile(s, "/data/a.bin", size);
        EXPECT_EQ(std::tuple(s.gFileSize, s.gPicWidth, s.gPicHeight),
                  std::tuple(size, width, height));
        EXPECT_EQ(std::tuple(s.gFileName, s.gUseOffset, s.gOffA, s.gColBit),
                  std::tuple("/data/a.bin", false, 0, modBITMAPinfo::kDepth16));
    }
    // 64-bit: the largest file at 2 colours.
    EXPECT_EQ(modBITMAPinfo::PixelCount(2130706431, 2), 17045651448);
    EXPECT_EQ(modBITMAPinfo::HeightForWidth(modBITMAPinfo::PixelCount(1000, 2), 128), 63);
}

// What each field does with a text typed into it: "" leaves it, "-" undoes it, a number is taken.
TEST(FieldRules, EditsLeavingAndStepsAtTheLimits) {
    auto show = [](Edit e) {
        return e.kind == Edit::kLeave     ? ""
               : e.kind == Edit::kPutBack ? "-"
                                          : std::to_string(e.value);
    };
    const auto width = [](std::optional<std::int64_t> pixels) {
        return [pixels](std::string_view t) { return WidthEdit(t, pixels); };
    };
    // A 2 GB file at 2 colours: the 32-bit header width is the bound, not its pixels.
    const std::function<Edit(std::string_view)> w1000 = width(1000), wAny = width(std::nullopt),
                                                wLarge = width(17045651448),
                                                mag = MagnificationEdit, off = OffsetEdit;
    struct Case {
        const std::function<Edit(std::string_view)>& rule;
        const char *text, *result;
    };
    // clang-format off
    const Case cases[] = {
        {w1000, "", ""}, {w1000, "1000.9", "1000"}, {w1000, "1001", "-"}, {w1000, "1", "1"},
        {w1000, "0.5", "-"}, {wAny, "2147483647", "2147483647"}, {wAny, "2147483648", "-"},
        {wLarge, "2147483648", "-"}, {mag, "", ""}, {mag, "1", "1"}, {mag, "8", "8"},
        {mag, "8.9", "-"}, {mag, "0.5", "-"}, {mag, "9", "-"}, {off, "", ""}, {off, "-1.5", "-2"},
        {off, "2130706430.9", "2130706430"}, {off, "-2130706430", "-2130706430"},
        {off, "2130706431", "-"}, {off, "-2130706431", "-"},
        {off, "-2130706430.5", "-"},  // rounds down onto the limit
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(show(c.rule(c.text)), c.result) << '"' << c.text << '"';
    }
    EXPECT_EQ(WidthOnLeave(""), std::nullopt);
    EXPECT_EQ(MagnificationOnLeave("8"), 8);
    EXPECT_EQ(MagnificationOnLeave("9"), std::nullopt);
    EXPECT_EQ(MagnificationOnLeave("0"), std::nullopt);
    EXPECT_EQ(OffsetOnLeave("2130706430"), 2130706430);
    EXPECT_EQ(OffsetOnLeave("-2130706431"), std::nullopt);
    // Up and Down from the field's number, else from the last one taken; the field's rules
    // then undo a step past a limit.
    EXPECT_EQ(StepText("8", "8", +1), "9");
    EXPECT_EQ(StepText("", "5", -1), "4");
    EXPECT_EQ(StepText("x", "-3", -1), "-4");
    EXPECT_EQ(StepText("2.5", "2", +1), "3.5");
    EXPECT_EQ(show(OffsetEdit(StepText("-2130706430", "0", -1))), "-");
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

}  // namespace
}  // namespace rastel::fieldRules
