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
        {kPalGrey, kDepth2, 0, kBlack},
        {kPalGrey, kDepth2, 1, kWhite},
        {kPalThermo, kDepth256, 0, kRed},
        {kPalThermo, kDepth256, 127, {255, 254, 0}},
        {kPalThermo, kDepth256, 128, {255, 255, 0}},
        {kPalThermo, kDepth256, 255, {1, 255, 0}},
        {kPalThermo, kDepth16, 7, {255, 224, 0}},
        {kPalThermo, kDepth16, 8, {255, 255, 0}},
        {kPalThermo, kDepth16, 15, {31, 255, 0}},
        {kPalThermo, kDepth2, 0, kGreen},
        {kPalThermo, kDepth2, 1, kRed},
        {kPalBinary, kDepth256, 0, kWhite},
        {kPalBinary, kDepth256, 1, kLightBlue},
        {kPalBinary, kDepth256, 31, kLightBlue},
        {kPalBinary, kDepth256, 32, kRed},
        {kPalBinary, kDepth256, 127, kRed},
        {kPalBinary, kDepth256, 128, kNavy},
        {kPalBinary, kDepth256, 254, kNavy},
        {kPalBinary, kDepth256, 255, kBlack},
        {kPalBinary, kDepth256, 53, kRed},  // no question mark at 256 colours
        {kPalBinary, kDepth2, 0, kLightBlue},
        {kPalBinary, kDepth2, 1, kRed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(At(Built(c.choice, c.depth), c.entry), c.colour)
            << "choice " << c.choice << " depth " << c.depth << " entry " << c.entry;
    }
}

TEST(BuildPalette, SixteenColourBinaryWithTheQuestionMark) {
    const DibImage image = Built(kPalBinary, kDepth16);
    EXPECT_EQ(At(image, 0), kWhite);
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(At(image, i), kLightBlue) << i;
    for (int i = 8; i <= 14; ++i)
        EXPECT_EQ(At(image, i), kRed) << i;
    EXPECT_EQ(At(image, 15), kBlack);
    EXPECT_EQ(At(image, 16), kBlack);
    EXPECT_EQ(At(image, 53), (Rgb{64, 64, 64}));
    EXPECT_EQ(At(image, 182), (Rgb{128, 128, 128}));
    EXPECT_EQ(At(image, 54), (Rgb{192, 192, 192}));
    EXPECT_EQ(At(image, 55), kWhite);
    EXPECT_EQ(At(image, 255), kBlack);
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
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(At(full, i), (Rgb{i ^ 0x55, 255 - i, i})) << i;
        EXPECT_EQ(full.bmiColors[i].rgbReserved, 0);
    }
    const DibImage sixteen = Built(kPalCustom, kDepth16, custom);
    EXPECT_EQ(At(sixteen, 15), (Rgb{15 ^ 0x55, 240, 15}));
    EXPECT_EQ(At(sixteen, 53), (Rgb{64, 64, 64}));
    EXPECT_EQ(At(sixteen, 16), kBlack);
}

TEST(BuildPaletteStrip, ShowsEveryIndexOfTheDepthAsEqualBands) {
    for (std::int32_t depth : {kDepth256, kDepth16, kDepth2}) {
        DibImage strip;
        BuildPaletteStrip(strip, depth);
        EXPECT_EQ(strip.bmiHeader.biWidth, 256);
        EXPECT_EQ(strip.bmiHeader.biHeight, 16);
        EXPECT_EQ(strip.bmiHeader.biSizeImage, 4096u);
        ASSERT_EQ(strip.bits.size(), 4097u);
        const int band = depth == kDepth256 ? 1 : depth == kDepth16 ? 16 : 128;
        for (int row = 0; row < 16; ++row) {
            for (int x = 0; x < 256; ++x) {
                ASSERT_EQ(strip.bits[row * 256 + x], x / band) << depth;
            }
        }
        EXPECT_EQ(strip.bits.back(), 0);
    }
    DibImage strip;
    BuildPaletteStrip(strip, kDepth16);
    EXPECT_EQ(strip.bits[3 * 256 + 80], 5);
    EXPECT_EQ(strip.bits[3 * 256 + 95], 5);
    EXPECT_EQ(At(strip, 15), (Rgb{15, 15, 15}));  // a grey start palette of the depth's size
    EXPECT_EQ(At(strip, 16), kBlack);
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
