// The fields' rules at their literal limits. The field rules fuzz check takes its limits from
// the code, so these rows are what sees a wrong limit there; the notation of numbers and the
// rounding are the fuzz check's business.
#include "settings/FieldRules.h"

#include <gtest/gtest.h>

#include "image/modBITMAPinfo.h"

namespace rastel::fieldRules {
namespace {

// An edit's verdict as the fields show it.
std::string Show(Edit e) {
    return e.kind == Edit::kLeave     ? "leave"
           : e.kind == Edit::kPutBack ? "undo"
                                      : std::to_string(e.value);
}

TEST(FieldRules, ANewFileGetsWidth128OrItsSizeAndTheOffsetOff) {
    for (const auto& [size, width, height] :
         {std::tuple{1, 1, 1}, {127, 127, 1}, {128, 128, 1}, {129, 128, 2}, {1000, 128, 8}}) {
        modBITMAPinfo::ViewSettings s;
        s.gColBit = modBITMAPinfo::kDepth16;
        s.gUseOffset = true;
        s.gOffA = 77;
        modBITMAPinfo::SetForNewFile(s, "/data/a.bin", size);
        EXPECT_EQ(s.gFileSize, size);
        EXPECT_EQ(s.gPicWidth, width) << size;
        EXPECT_EQ(s.gPicHeight, height) << size;
        EXPECT_EQ(s.gFileName, "/data/a.bin");
        EXPECT_FALSE(s.gUseOffset);
        EXPECT_EQ(s.gOffA, 0);
        EXPECT_EQ(s.gColBit, modBITMAPinfo::kDepth16);  // kept
    }
    // 64-bit: the largest file at 2 colours.
    EXPECT_EQ(PixelCount(2130706431, 2), 17045651448);
    EXPECT_EQ(HeightForWidth(PixelCount(1000, 2), 128), 63);
}

TEST(FieldRules, EditsAtTheLimits) {
    struct Case {
        Edit (*rule)(std::string_view);
        const char* text;
        const char* result;
    };
    auto width1000 = [](std::string_view t) { return WidthEdit(t, 1000); };
    auto widthAny = [](std::string_view t) { return WidthEdit(t, std::nullopt); };
    // A 2 GB file at 2 colours: the 32-bit header width is the bound, not its pixels.
    auto widthLarge = [](std::string_view t) { return WidthEdit(t, 17045651448); };
    const Case cases[] = {
        {width1000, "", "leave"},
        {width1000, "1000.9", "1000"},
        {width1000, "1001", "undo"},
        {width1000, "1", "1"},
        {width1000, "0.5", "undo"},
        {widthAny, "2147483647", "2147483647"},
        {widthAny, "2147483648", "undo"},
        {widthLarge, "2147483648", "undo"},
        {MagnificationEdit, "", "leave"},
        {MagnificationEdit, "1", "1"},
        {MagnificationEdit, "8.9", "undo"},
        {MagnificationEdit, "8", "8"},
        {MagnificationEdit, "0.5", "undo"},
        {MagnificationEdit, "9", "undo"},
        {OffsetEdit, "", "leave"},
        {OffsetEdit, "-1.5", "-2"},
        {OffsetEdit, "2130706430.9", "2130706430"},
        {OffsetEdit, "-2130706430", "-2130706430"},
        {OffsetEdit, "2130706431", "undo"},
        {OffsetEdit, "-2130706431", "undo"},
        {OffsetEdit, "-2130706430.5", "undo"},  // rounds down onto the limit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(c.rule(c.text)), c.result) << '"' << c.text << '"';
    }
}

TEST(FieldRules, LeavingAndSteppingAtTheLimits) {
    EXPECT_EQ(WidthOnLeave(""), std::nullopt);
    EXPECT_EQ(MagnificationOnLeave("8"), 8);
    EXPECT_EQ(MagnificationOnLeave("9"), std::nullopt);
    EXPECT_EQ(MagnificationOnLeave("0"), std::nullopt);
    EXPECT_EQ(OffsetOnLeave("2130706430"), 2130706430);
    EXPECT_EQ(OffsetOnLeave("-2130706431"), std::nullopt);
    // A step past a limit writes a text the field's rules then undo.
    EXPECT_EQ(StepText("8", "8", +1), "9");
    EXPECT_EQ(StepText("", "5", -1), "4");
    EXPECT_EQ(StepText("x", "-3", -1), "-4");
    EXPECT_EQ(StepText("2.5", "2", +1), "3.5");
    EXPECT_EQ(Show(OffsetEdit(StepText("-2130706430", "0", -1))), "undo");
}

}  // namespace
}  // namespace rastel::fieldRules
