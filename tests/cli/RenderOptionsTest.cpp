#include "cli/RenderOptions.h"

#include <gtest/gtest.h>

namespace rastel::cli {
namespace {

TEST(RenderOptions, DefaultsAreTheViewersForANewFile) {
    const ParseResult r = ParseRenderOptions({"a.bin"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.file, "a.bin");
    EXPECT_EQ(r.options.depth, 0);
    EXPECT_EQ(r.options.order, 0);
    EXPECT_EQ(r.options.palette, 0);
    EXPECT_EQ(r.options.offset, 0);
    EXPECT_FALSE(r.options.width.has_value());
    EXPECT_FALSE(r.options.output.has_value());
}

TEST(RenderOptions, ReadsEveryOptionInBothSpellings) {
    const ParseResult r =
        ParseRenderOptions({"--depth", "16", "--order=2", "--width", "77", "--offset=-5",
                            "--palette", "binary", "-o", "-", "f"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.depth, 1);
    EXPECT_EQ(r.options.order, 2);
    EXPECT_EQ(r.options.width, 77);
    EXPECT_EQ(r.options.offset, -5);
    EXPECT_EQ(r.options.palette, 2);
    EXPECT_EQ(r.options.output, "-");
    EXPECT_TRUE(ParseRenderOptions({"--help"}).options.help);
}

TEST(RenderOptions, RefusesWhatItDoesNotUnderstand) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--colour", "f"}, "unknown option '--colour'"},
        {{"--depth", "8", "f"}, "unknown depth '8'"},
        {{"--depth"}, "--depth needs a value"},
        {{"--order", "3", "f"}, "order 3 is not one of the orders of 256 colours (0 to 2)"},
        {{"--depth", "2", "--order", "2", "f"}, "order 2 is not one of the orders of 2 colours"},
        {{"--order", "-1", "f"}, "order -1 is not one of"},
        {{"--width", "12x", "f"}, "--width needs a whole number"},
        {{"--offset", "2130706431", "f"}, "offset 2130706431 is out of range"},
        {{"--offset", "-2130706431", "f"}, "out of range"},
        {{"--palette", "rainbow", "f"}, "unknown palette 'rainbow'"},
        {{}, "no FILE given"},
        {{"a", "b"}, "only one FILE"},
    };
    for (const auto& [args, message] : cases) {
        const ParseResult r = ParseRenderOptions(args);
        EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
    }
    EXPECT_EQ(ParseRenderOptions({"--offset", "2130706430", "f"}).error, "");
    EXPECT_EQ(ParseRenderOptions({"--offset", "-2130706430", "f"}).error, "");
}

TEST(RenderOptions, UsageDescribesEveryOption) {
    for (const char* option :
         {"--depth", "--order", "--width", "--offset", "--palette", "-o ", "--suggest-width"}) {
        EXPECT_NE(RenderUsage().find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace rastel::cli
