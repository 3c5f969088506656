#include <gtest/gtest.h>

#include "image/modBITMAPinfo.h"

namespace rastel::modBITMAPinfo {
namespace {

TEST(ImageRecord, StartsEmpty) {
    const DibImage image;
    EXPECT_EQ(image.bmiHeader, BITMAPINFOHEADER{});
    EXPECT_EQ(image.bmiColors[255], RGBQUAD{});
    EXPECT_TRUE(image.bits.empty());
    EXPECT_EQ(image.settings, ViewSettings{});
    EXPECT_EQ(image.settings.gMagX, 0);
    EXPECT_FALSE(image.settings.gUseOffset);
}

TEST(ImageRecord, StrideRoundsTheWidthUpToFour) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {1, 4}, {3, 4}, {4, 4}, {5, 8}, {128, 128}, {2147483647, 2147483648}};
    for (const auto& [width, stride] : cases)
        EXPECT_EQ(RowStride(width), stride) << width;
}

TEST(ImageRecord, ANewFileGetsItsSizeWidthAndHeight) {
    const std::int64_t cases[][3] = {{1, 1, 1},     {5, 5, 1},     {127, 127, 1},
                                     {128, 128, 1}, {129, 128, 2}, {1000, 128, 8}};
    for (const auto& [size, width, height] : cases) {
        ViewSettings s;
        s.gColBit = kDepth16;
        s.gArray16 = 2;
        s.gMagX = 3;
        s.gUseOffset = true;
        s.gOffA = 77;
        SetForNewFile(s, "/data/a.bin", size);
        EXPECT_EQ(s.gFileSize, size);
        EXPECT_EQ(s.gPicWidth, width) << size;
        EXPECT_EQ(s.gPicHeight, height) << size;
        EXPECT_EQ(s.gFileName, "/data/a.bin");
        EXPECT_EQ(s.gOffA, 0);
        EXPECT_FALSE(s.gUseOffset);
        EXPECT_EQ(s.gColBit, kDepth16);  // kept from before
        EXPECT_EQ(s.gArray16, 2);
        EXPECT_EQ(s.gMagX, 3);
    }
}

TEST(ImageRecord, CopiesAsAValueAndClearsToOneZeroByte) {
    DibImage image;
    image.bits = {1, 2, 3};
    image.settings.gFileName = "x";
    image.settings.gPicWidth = 9;
    DibImage copy = image;
    copy.bits[0] = 7;
    copy.settings.gFileName = "y";
    EXPECT_EQ(image.bits[0], 1);
    EXPECT_EQ(image.settings.gFileName, "x");

    ClearPicture(image);
    EXPECT_EQ(image.bits, std::vector<std::uint8_t>{0});
    EXPECT_EQ(image.settings.gFileName, "");
    EXPECT_EQ(image.settings.gPicWidth, 9);
}

TEST(ImageRecord, OrderFollowsTheDepth) {
    ViewSettings s;
    s.gArray256 = 2;
    s.gArray16 = 1;
    s.gArray2 = 0;
    EXPECT_EQ(CurrentOrder(s), 2);
    s.gColBit = kDepth16;
    EXPECT_EQ(CurrentOrder(s), 1);
    s.gColBit = kDepth2;
    EXPECT_EQ(CurrentOrder(s), 0);
    s.gColBit = 5;
    EXPECT_EQ(CurrentOrder(s), -1);
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
