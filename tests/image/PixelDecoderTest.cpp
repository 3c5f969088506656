// The decoder's rules on worked examples and at the limits of the BMP header. That the fast
// loops agree with the plain rule everywhere is the decoder fuzz check's business.
#include "image/PixelDecoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace rastel::modBITMAPinfo {
namespace {

using Bytes = std::vector<std::uint8_t>;

DibImage Decoded(const Bytes& data, std::int32_t depth, std::int32_t order, std::int64_t width,
                 std::int64_t height, std::int64_t offset = 0) {
    DibImage image;
    image.settings.gColBit = depth;
    image.settings.gArray256 = image.settings.gArray16 = image.settings.gArray2 = order;
    image.settings.gPicWidth = width;
    image.settings.gPicHeight = height;
    EXPECT_EQ(DecodePixels(image, data, offset), DecodeStatus::Ok);
    return image;
}

struct Example {
    const char* name;
    Bytes data;
    std::int32_t depth, order;
    std::int64_t width, offset;
    Bytes pixels;  // one row
};

const Bytes k12345678 = {0x12, 0x34, 0x56, 0x78};

// Each order once, offsets that split its groups, bytes missing at the end.
TEST(DecodePixels, WorkedExamples) {
    const Example examples[] = {
        {"bytes", k12345678, 0, 0, 4, 0, {0x12, 0x34, 0x56, 0x78}},
        {"pairs", k12345678, 0, 1, 4, 0, {0x34, 0x12, 0x78, 0x56}},
        {"quads", k12345678, 0, 2, 4, 0, {0x78, 0x56, 0x34, 0x12}},
        {"nibbles high first", k12345678, 1, 0, 8, 0, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"nibbles low first", k12345678, 1, 1, 8, 0, {2, 1, 4, 3, 6, 5, 8, 7}},
        {"nibble pairs", k12345678, 1, 2, 8, 0, {4, 3, 2, 1, 8, 7, 6, 5}},
        {"bits msb first", {0x81, 0x40}, 2, 0, 16, 0, {1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0}},
        {"bits lsb first", {0x81, 0x40}, 2, 1, 16, 0, {1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
        {"bytes from 2", k12345678, 0, 0, 4, 2, {0x56, 0x78, 0, 0}},
        {"pairs from 1", k12345678, 0, 1, 4, 1, {0x12, 0x78, 0x56, 0}},
        {"nibbles from 1", k12345678, 1, 0, 8, 1, {2, 3, 4, 5, 6, 7, 8, 0}},
        {"bytes from -2", k12345678, 0, 0, 4, -2, {0, 0, 0x12, 0x34}},
        {"quads short", {1, 2, 3, 4, 5, 6}, 0, 2, 8, 0, {4, 3, 2, 1, 0, 0, 6, 5}},
        {"nibble pairs short", {1, 2, 0xAB}, 1, 2, 8, 0, {2, 0, 1, 0, 0, 0, 0xB, 0xA}},
        {"order outside the list", k12345678, 0, -1, 4, 0, {0, 0, 0, 0}},
        {"bit order outside the list", k12345678, 2, 2, 8, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Example& e : examples) {
        const DibImage image = Decoded(e.data, e.depth, e.order, e.width, 1, e.offset);
        EXPECT_EQ(Bytes(image.bits.begin(), image.bits.begin() + std::ssize(e.pixels)), e.pixels)
            << e.name;
    }
}

// The first file row at the top of the picture, the last at the bottom of the array; rows
// padded with zeros to a multiple of four bytes; one zero byte beyond.
TEST(DecodePixels, StoresRowsBottomUpPaddedWithOneByteMore) {
    EXPECT_EQ(Decoded({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0, 0, 4, 3).bits,
              (Bytes{9, 10, 0, 0, 5, 6, 7, 8, 1, 2, 3, 4, 0}));
    const DibImage image = Decoded({1, 2, 3, 4, 5}, 0, 0, 3, 2);
    EXPECT_EQ(image.bits, (Bytes{4, 5, 0, 0, 1, 2, 3, 0, 0}));
    EXPECT_EQ(image.bmiHeader.biSizeImage, 8u);
    for (const auto& [width, stride] :
         {std::pair<std::int64_t, std::int64_t>{1, 4}, {4, 4}, {5, 8}, {2147483647, 2147483648}}) {
        EXPECT_EQ(RowStride(width), stride) << width;
    }
}

TEST(DecodePixels, RefusesWhatABmpHeaderCannotHoldAndKeepsThePicture) {
    EXPECT_EQ(CheckBmpGeometry(0, 1), DecodeStatus::BadSize);
    EXPECT_EQ(CheckBmpGeometry(1, 0), DecodeStatus::BadSize);
    EXPECT_EQ(CheckBmpGeometry(2147483647, 1), DecodeStatus::Ok);
    EXPECT_EQ(CheckBmpGeometry(2147483648, 1), DecodeStatus::TooLarge);
    EXPECT_EQ(CheckBmpGeometry(1, 2147483648), DecodeStatus::TooLarge);
    // 1078 + biSizeImage + 1 must fit bfSize's 32 bits.
    EXPECT_EQ(CheckBmpGeometry(4, 1073741554), DecodeStatus::Ok);
    EXPECT_EQ(CheckBmpGeometry(4, 1073741555), DecodeStatus::TooLarge);

    DibImage image = Decoded(k12345678, 0, 0, 2, 2);
    const DibImage before = image;
    image.settings.gPicWidth = 1;
    image.settings.gPicHeight = 3000000000;
    EXPECT_EQ(DecodePixels(image, k12345678, 0), DecodeStatus::TooLarge);
    EXPECT_EQ(image.bits, before.bits);
    EXPECT_EQ(image.bmiHeader, before.bmiHeader);
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
