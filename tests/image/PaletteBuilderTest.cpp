#include "image/PaletteBuilder.h"

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

const Palette kNoCustom = {};

DibImage Built(std::int32_t choice, std::int32_t depth, const Palette& custom = kNoCustom) {
    DibImage image;
    BuildPalette(image, choice, depth, custom);
    return image;
}

constexpr Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kLightBlue{0, 255, 255}, kRed{255, 0, 0},
    kNavy{0, 0, 127}, kGreen{0, 255, 0};

TEST(BuildPalette, NamedEntriesOfEveryChoiceAndDepth) {
    struct Case {
        std::int32_t choice, depth;
        int entry;
        Rgb colour;
    };
    const Case cases[] = {
        {kPalGrey, kDepth256, 200, {200, 200, 200}},
        {kPalGrey, kDepth16, 15, {240, 240, 240}},
        {kPalGrey, kDepth2, 1, kWhite},
        {kPalThermo, kDepth256, 127, {255, 254, 0}},
        {kPalThermo, kDepth256, 128, {255, 255, 0}},
        {kPalThermo, kDepth256, 255, {1, 255, 0}},
        {kPalThermo, kDepth16, 7, {255, 224, 0}},
        {kPalThermo, kDepth16, 15, {31, 255, 0}},
        {kPalThermo, kDepth2, 0, kGreen},
        {kPalBinary, kDepth256, 1, kLightBlue},
        {kPalBinary, kDepth256, 31, kLightBlue},
        {kPalBinary, kDepth256, 32, kRed},
        {kPalBinary, kDepth256, 128, kNavy},
        {kPalBinary, kDepth256, 255, kBlack},
        {kPalBinary, kDepth256, 53, kRed},  // no question mark at 256 colours
        {kPalBinary, kDepth2, 0, kLightBlue},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(At(Built(c.choice, c.depth), c.entry), c.colour)
            << "choice " << c.choice << " depth " << c.depth << " entry " << c.entry;
    }
}

// Entries no 16- or 2-colour pixel uses draw a question mark over an oval shadow.
TEST(BuildPalette, SixteenColourBinaryWithTheQuestionMark) {
    const DibImage image = Built(kPalBinary, kDepth16);
    const std::pair<int, Rgb> entries[] = {
        {0, kWhite},  {1, kLightBlue},       {7, kLightBlue},        {8, kRed},
        {14, kRed},   {15, kBlack},          {16, kBlack},           {53, {64, 64, 64}},
        {55, kWhite}, {54, {192, 192, 192}}, {182, {128, 128, 128}}, {255, kBlack},
    };
    for (const auto& [i, colour] : entries) {
        EXPECT_EQ(At(image, i), colour) << i;
    }
}

TEST(BuildPalette, LeavesEntriesItDoesNotNameAndNeverWritesReserved) {
    DibImage image;
    image.bmiColors[3].rgbReserved = 7;
    BuildPalette(image, kPalGrey, kDepth256, kNoCustom);
    BuildPalette(image, kPalGrey, kDepth2, kNoCustom);
    for (int i = 2; i <= 15; ++i)
        EXPECT_EQ(At(image, i), (Rgb{i, i, i})) << i;
    EXPECT_EQ(image.bmiColors[3].rgbReserved, 7);

    const DibImage before = image;
    BuildPalette(image, kPalRainbow, kDepth256, kNoCustom);  // no palette of its own
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(image.bmiColors[i], before.bmiColors[i]);
}

TEST(BuildPalette, CustomCopiesColoursWithoutReserved) {
    Palette custom = {};
    for (int i = 0; i < 256; ++i) {
        custom[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                     static_cast<std::uint8_t>(i ^ 0x55), 9};
    }
    const DibImage full = Built(kPalCustom, kDepth256, custom);
    EXPECT_EQ(At(full, 200), (Rgb{200 ^ 0x55, 55, 200}));
    EXPECT_EQ(full.bmiColors[200].rgbReserved, 0);
    const DibImage sixteen = Built(kPalCustom, kDepth16, custom);
    EXPECT_EQ(At(sixteen, 15), (Rgb{15 ^ 0x55, 240, 15}));
    EXPECT_EQ(At(sixteen, 53), (Rgb{64, 64, 64}));
}

TEST(BuildPaletteStrip, ShowsEveryIndexOfTheDepthAsEqualBands) {
    for (const auto& [depth, band] : {std::pair{kDepth256, 1}, {kDepth16, 16}, {kDepth2, 128}}) {
        DibImage strip;
        BuildPaletteStrip(strip, depth);
        EXPECT_EQ(strip.bmiHeader.biWidth, 256);
        EXPECT_EQ(strip.bmiHeader.biHeight, 16);
        ASSERT_EQ(strip.bits.size(), 4097u);
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(strip.bits[15 * 256 + x], x / band) << depth;
        }
        EXPECT_EQ(At(strip, 256 / band - 1), (Rgb{255 / band, 255 / band, 255 / band}));
    }
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
