#include "image/PixelDecoder.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace rastel::modBITMAPinfo {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The picture's rows top-down, without padding, from a decoded record.
Bytes TopDownPixels(const DibImage& image) {
    const std::int64_t w = image.bmiHeader.biWidth;
    const std::int64_t h = image.bmiHeader.biHeight;
    const std::int64_t stride = RowStride(w);
    Bytes out;
    for (std::int64_t y = 0; y < h; ++y) {
        const auto row = image.bits.begin() + (h - 1 - y) * stride;
        out.insert(out.end(), row, row + w);
    }
    return out;
}

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
    std::int64_t width, height, offset;
    Bytes expected;  // top-down pixels
};

void PrintTo(const Example& e, std::ostream* os) {
    *os << e.name;
}

class WorkedExamples : public ::testing::TestWithParam<Example> {};

TEST_P(WorkedExamples, GiveTheirPixels) {
    const Example& e = GetParam();
    const DibImage image = Decoded(e.data, e.depth, e.order, e.width, e.height, e.offset);
    EXPECT_EQ(TopDownPixels(image), e.expected);
}

const Bytes k12345678 = {0x12, 0x34, 0x56, 0x78};

INSTANTIATE_TEST_SUITE_P(
    Decoder, WorkedExamples,
    ::testing::Values(
        Example{"bytes", k12345678, 0, 0, 4, 1, 0, {0x12, 0x34, 0x56, 0x78}},
        Example{"pairs", k12345678, 0, 1, 4, 1, 0, {0x34, 0x12, 0x78, 0x56}},
        Example{"quads", k12345678, 0, 2, 4, 1, 0, {0x78, 0x56, 0x34, 0x12}},
        Example{"nibblesHighFirst", k12345678, 1, 0, 8, 1, 0, {1, 2, 3, 4, 5, 6, 7, 8}},
        Example{"nibblesLowFirst", k12345678, 1, 1, 8, 1, 0, {2, 1, 4, 3, 6, 5, 8, 7}},
        Example{"nibblesReversed", k12345678, 1, 2, 8, 1, 0, {4, 3, 2, 1, 8, 7, 6, 5}},
        Example{"bytesOffset2", k12345678, 0, 0, 4, 1, 2, {0x56, 0x78, 0, 0}},
        Example{"pairsOffset1", k12345678, 0, 1, 4, 1, 1, {0x12, 0x78, 0x56, 0}},
        Example{"nibblesOffset1", k12345678, 1, 0, 8, 1, 1, {2, 3, 4, 5, 6, 7, 8, 0}},
        Example{"negativeOffset", k12345678, 0, 0, 4, 1, -2, {0, 0, 0x12, 0x34}},
        Example{"quadsMissingBytes", {1, 2, 3, 4, 5, 6}, 0, 2, 8, 1, 0, {4, 3, 2, 1, 0, 0, 6, 5}},
        Example{"nibblePairs", {0xAB, 0xCD}, 1, 2, 4, 1, 0, {0xD, 0xC, 0xB, 0xA}},
        Example{"bitsMsbFirst",
                {0x81, 0x40},
                2,
                0,
                16,
                1,
                0,
                {1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0}},
        Example{"bitsLsbFirst",
                {0x81, 0x40},
                2,
                1,
                16,
                1,
                0,
                {1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0}},
        Example{"lastRowShort",
                {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
                0,
                0,
                4,
                3,
                0,
                {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0}},
        Example{"orderOutsideList", k12345678, 0, -1, 4, 1, 0, {0, 0, 0, 0}},
        Example{"bitOrderOutsideList", k12345678, 2, 2, 8, 1, 0, {0, 0, 0, 0, 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodePixels, StoresRowsBottomUpWithPaddingAndOneExtraByte) {
    const DibImage image = Decoded({0x12, 0x34, 0x56, 0x78, 0x9A}, 0, 0, 3, 2);
    EXPECT_EQ(image.bits, (Bytes{0x78, 0x9A, 0, 0, 0x12, 0x34, 0x56, 0, 0}));
    EXPECT_EQ(image.bmiHeader.biSizeImage, 8u);

    const DibImage five = Decoded({1, 2, 3, 4, 5}, 0, 0, 5, 1);
    EXPECT_EQ(five.bits, (Bytes{1, 2, 3, 4, 5, 0, 0, 0, 0}));
}

TEST(DecodePixels, FillsTheHeaderAndKeepsPaletteAndSettings) {
    DibImage image;
    image.bmiColors[7].rgbRed = 99;
    image.settings.gColBit = kDepth16;
    image.settings.gArray16 = -1;  // no order chosen: the header is still right
    image.settings.gPicWidth = 5;
    image.settings.gPicHeight = 2;
    const ViewSettings before = image.settings;
    ASSERT_EQ(DecodePixels(image, k12345678, 0), DecodeStatus::Ok);
    const BITMAPINFOHEADER& h = image.bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 5);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, 16u);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(image.bits, Bytes(17, 0));
    EXPECT_EQ(image.bmiColors[7].rgbRed, 99);
    EXPECT_EQ(image.settings, before);

    const Bytes first = Decoded(k12345678, 0, 1, 3, 2).bits;
    EXPECT_EQ(Decoded(k12345678, 0, 1, 3, 2).bits, first);
}

TEST(DecodePixels, RefusesWhatABmpHeaderCannotHoldAndKeepsThePicture) {
    EXPECT_EQ(CheckBmpGeometry(0, 1), DecodeStatus::BadSize);
    EXPECT_EQ(CheckBmpGeometry(1, 0), DecodeStatus::BadSize);
    EXPECT_EQ(CheckBmpGeometry(2147483647, 1), DecodeStatus::Ok);
    EXPECT_EQ(CheckBmpGeometry(2147483648, 1), DecodeStatus::TooLarge);
    EXPECT_EQ(CheckBmpGeometry(1, 2147483648), DecodeStatus::TooLarge);
    // 1078 + biSizeImage + 1 must fit bfSize's 32 bits.
    const std::int64_t maxImage = 0xFFFFFFFFLL - 1079;
    EXPECT_EQ(CheckBmpGeometry(4, maxImage / 4), DecodeStatus::Ok);
    EXPECT_EQ(CheckBmpGeometry(4, maxImage / 4 + 1), DecodeStatus::TooLarge);

    DibImage image = Decoded(k12345678, 0, 0, 2, 2);
    const DibImage before = image;
    image.settings.gPicWidth = 1;
    image.settings.gPicHeight = 3000000000;
    EXPECT_EQ(DecodePixels(image, k12345678, 0), DecodeStatus::TooLarge);
    EXPECT_EQ(image.bits, before.bits);
    EXPECT_EQ(image.bmiHeader, before.bmiHeader);
}

TEST(DecodeRun, HandlesPositionsBeyond32Bits) {
    Bytes out(16, 0xEE);
    DecodeRun(kDepth2, 0, k12345678, std::int64_t{1} << 40, 16, out.data());
    EXPECT_EQ(out, Bytes(16, 0));
    DecodeRun(kDepth256, 2, k12345678, -(std::int64_t{1} << 40), 16, out.data());
    EXPECT_EQ(out, Bytes(16, 0));
}

// Found by fuzzing: an offset near the 64-bit limits made the positions wrap round.
TEST(DecodePixels, OffsetsNearThe64BitLimitsGiveZeros) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    for (const std::int64_t offset : {kMax, kMax - 5, kMin, kMin + 5}) {
        const DibImage image = Decoded(k12345678, kDepth256, 1, 3, 4, offset);
        EXPECT_EQ(image.bits, Bytes(17, 0)) << offset;
    }
    Bytes out(16, 0xEE);
    DecodeRun(kDepth16, 2, k12345678, kMax - 3, 16, out.data());
    EXPECT_EQ(out, Bytes(16, 0));
    const DecodeLayout layout{kDepth256, 0, 3, 4, kMin};
    EXPECT_EQ(layout.position(3, 2), kMin + 11);
    EXPECT_EQ(layout.position(-1, 0), kMin);
    EXPECT_EQ((DecodeLayout{kDepth256, 0, 3, 4, kMax - 1}.position(3, 2)), kMax);
    EXPECT_EQ((DecodeLayout{kDepth256, 0, 3, 4, -9}.position(3, 2)), 2);
}

// The decoder's inverse on worked examples; the fuzz check holds it to the plain rule on
// random settings.
TEST(SourceOf, NamesTheByteAndBitsEachPixelComesFrom) {
    struct Case {
        std::int32_t depth, order;
        std::int64_t p;
        std::optional<PixelSource> source;
    };
    const Case cases[] = {
        {kDepth256, 0, 2, PixelSource{2, 0, 8}}, {kDepth256, 1, 3, PixelSource{2, 0, 8}},
        {kDepth256, 2, 0, PixelSource{3, 0, 8}}, {kDepth256, 2, 5, PixelSource{6, 0, 8}},
        {kDepth16, 0, 3, PixelSource{1, 0, 4}},  {kDepth16, 1, 3, PixelSource{1, 4, 4}},
        {kDepth16, 2, 0, PixelSource{1, 0, 4}},  {kDepth16, 2, 3, PixelSource{0, 4, 4}},
        {kDepth2, 0, 9, PixelSource{1, 6, 1}},   {kDepth2, 1, 9, PixelSource{1, 1, 1}},
        {kDepth256, 0, -1, std::nullopt},        {kDepth256, -1, 0, std::nullopt},
        {kDepth2, 2, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SourceOf(c.depth, c.order, c.p), c.source)
            << "depth " << c.depth << " order " << c.order << " p " << c.p;
    }
    // Where a byte's first pixel sits in a picture of width 4 and 3 rows, from pixel 2.
    const DecodeLayout layout{kDepth256, 0, 4, 3, 2};
    EXPECT_EQ(CellOf(layout, 1), std::nullopt);  // before the picture's start
    EXPECT_EQ(CellOf(layout, 2), (Cell{0, 0}));
    EXPECT_EQ(CellOf(layout, 13), (Cell{3, 2}));
    EXPECT_EQ(CellOf(layout, 14), std::nullopt);                              // below the last row
    EXPECT_EQ(CellOf(DecodeLayout{kDepth16, 2, 4, 3, -3}, 1), (Cell{3, 0}));  // 0 is 1's low
    EXPECT_EQ(CellOf(DecodeLayout{kDepth2, 1, 4, 10, 2}, 2), (Cell{2, 3}));
}

// The run decoder's fast loops against the plain rule, on random data, positions and lengths
// that start and end inside groups, before the data and past its end.
TEST(DecodeRun, AgreesWithThePlainRuleEverywhere) {
    std::mt19937_64 rng(20261206);
    for (int round = 0; round < 20000; ++round) {
        Bytes data(rng() % 120);
        for (auto& b : data)
            b = static_cast<std::uint8_t>(rng());
        const auto depth = static_cast<std::int32_t>(rng() % 3);
        const auto order = static_cast<std::int32_t>(rng() % 4) - (rng() % 8 == 0 ? 1 : 0);
        const std::int64_t p0 = static_cast<std::int64_t>(rng() % 1200) - 200;
        const std::int64_t count = static_cast<std::int64_t>(rng() % 300);
        Bytes fast(count, 0xEE);
        DecodeRun(depth, order, data, p0, count, fast.data());
        for (std::int64_t i = 0; i < count; ++i) {
            ASSERT_EQ(fast[i], PixelAt(depth, order, data, p0 + i))
                << "depth " << depth << " order " << order << " p " << p0 + i << " size "
                << data.size();
        }
    }
}

TEST(DecodePixels, AgreesWithThePlainRuleOnRandomPictures) {
    std::mt19937_64 rng(42);
    for (int round = 0; round < 500; ++round) {
        Bytes data(1 + rng() % 400);
        for (auto& b : data)
            b = static_cast<std::uint8_t>(rng());
        const auto depth = static_cast<std::int32_t>(rng() % 3);
        const auto order = static_cast<std::int32_t>(rng() % 3);
        const std::int64_t width = 1 + static_cast<std::int64_t>(rng() % 70);
        const std::int64_t height = 1 + static_cast<std::int64_t>(rng() % 40);
        const std::int64_t offset = static_cast<std::int64_t>(rng() % 900) - 450;
        const DibImage image = Decoded(data, depth, order, width, height, offset);
        const std::int64_t stride = RowStride(width);
        ASSERT_EQ(image.bits.size(), static_cast<std::size_t>(stride * height + 1));
        for (std::int64_t y = 0; y < height; ++y) {
            for (std::int64_t x = 0; x < stride; ++x) {
                const std::uint8_t want =
                    x < width ? PixelAt(depth, order, data, y * width + x + offset) : 0;
                ASSERT_EQ(image.bits[(height - 1 - y) * stride + x], want);
            }
        }
        ASSERT_EQ(image.bits.back(), 0);
    }
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
