#include "image/pixels/PaletteBuilder.h"

#include <gtest/gtest.h>

namespace rastel::modBITMAPinfo {
namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

Rgb At(const DibImage& image, int i) {
    const RGBQUAD& e = image.bmiColors[i];
    return {e.rgbRed, e.rgbGreen, e.rgbBlue};
}

// The ends of each band of every palette at every depth. Entries no 16- or 2-colour pixel uses
// draw a question mark over an oval shadow; the custom palette is copied without its reserved
// bytes, and only the entries the depth uses.
TEST(BuildPalette, EveryChoiceAndDepth) {
    constexpr Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kLightBlue{0, 255, 255}, kRed{255, 0, 0},
        kNavy{0, 0, 127}, kGreen{0, 255, 0};
    Palette custom = {};
    for (int i = 0; i < 256; ++i) {
        custom[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                     static_cast<std::uint8_t>(i ^ 0x55), 9};
    }
    struct Case {
        std::int32_t choice, depth;
        int entry;
        Rgb colour;
    };
    // clang-format off
    const Case cases[] = {
        {kPalGrey, kDepth256, 200, {200, 200, 200}}, {kPalGrey, kDepth16, 15, {240, 240, 240}},
        {kPalGrey, kDepth2, 1, kWhite}, {kPalThermo, kDepth256, 127, {255, 254, 0}},
        {kPalThermo, kDepth256, 128, {255, 255, 0}}, {kPalThermo, kDepth256, 255, {1, 255, 0}},
        {kPalThermo, kDepth16, 7, {255, 224, 0}}, {kPalThermo, kDepth16, 15, {31, 255, 0}},
        {kPalThermo, kDepth2, 0, kGreen}, {kPalBinary, kDepth256, 1, kLightBlue},
        {kPalBinary, kDepth256, 31, kLightBlue}, {kPalBinary, kDepth256, 32, kRed},
        {kPalBinary, kDepth256, 128, kNavy}, {kPalBinary, kDepth256, 255, kBlack},
        {kPalBinary, kDepth256, 53, kRed}, {kPalBinary, kDepth2, 0, kLightBlue},
        {kPalBinary, kDepth16, 0, kWhite}, {kPalBinary, kDepth16, 7, kLightBlue},
        {kPalBinary, kDepth16, 8, kRed}, {kPalBinary, kDepth16, 15, kBlack},
        {kPalBinary, kDepth16, 16, kBlack}, {kPalBinary, kDepth16, 53, {64, 64, 64}},
        {kPalBinary, kDepth2, 54, {192, 192, 192}}, {kPalBinary, kDepth16, 55, kWhite},
        {kPalBinary, kDepth16, 182, {128, 128, 128}}, {kPalCustom, kDepth256, 255, {170, 0, 255}},
        {kPalCustom, kDepth16, 15, {90, 240, 15}}, {kPalCustom, kDepth16, 53, {64, 64, 64}},
    };
    // clang-format on
    for (const Case& c : cases) {
        DibImage image;
        BuildPalette(image, c.choice, c.depth, custom);
        EXPECT_EQ(At(image, c.entry), c.colour)
            << "choice " << c.choice << " depth " << c.depth << " entry " << c.entry;
        EXPECT_EQ(image.bmiColors[c.entry].rgbReserved, 0);
    }
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
