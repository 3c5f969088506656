#include "image/PictureRows.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace rastel::modBITMAPinfo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::mt19937_64& rng, std::size_t n) {
    Bytes data(n);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(rng());
    return data;
}

DibImage Decoded(const Bytes& data, const DecodeLayout& l) {
    DibImage image;
    image.settings.gColBit = l.depth;
    image.settings.gArray256 = image.settings.gArray16 = image.settings.gArray2 = l.order;
    image.settings.gPicWidth = l.width;
    image.settings.gPicHeight = l.height;
    EXPECT_EQ(DecodePixels(image, data, l.offset), DecodeStatus::Ok);
    return image;
}

// Every pixel of the rectangle, read through Row, as the record holds it.
void ExpectSameRectangle(PictureRows& onDemand, PictureRows& record, std::int64_t x0,
                         std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    ASSERT_TRUE(onDemand.Prepare(x0, y0, x1, y1));
    ASSERT_TRUE(record.Prepare(x0, y0, x1, y1));
    for (std::int64_t y = y0; y < y1; ++y) {
        const std::uint8_t* a = onDemand.Row(y, x0);
        const std::uint8_t* b = record.Row(y, x0);
        for (std::int64_t x = 0; x < x1 - x0; ++x) {
            ASSERT_EQ(a[x], b[x]) << "pixel " << x0 + x << "," << y;
        }
    }
}

TEST(PictureRows, DecodedOnDemandEqualsTheWholeDecodeOnRandomSettings) {
    std::mt19937_64 rng(6);
    for (int round = 0; round < 300; ++round) {
        const Bytes data = RandomBytes(rng, 1 + rng() % 600);
        DecodeLayout l;
        l.depth = static_cast<std::int32_t>(rng() % 3);
        l.order = static_cast<std::int32_t>(rng() % 3);
        l.width = 1 + static_cast<std::int64_t>(rng() % 90);
        l.height = 1 + static_cast<std::int64_t>(rng() % 60);
        l.offset = static_cast<std::int64_t>(rng() % 1200) - 600;
        const DibImage image = Decoded(data, l);
        PictureRows record;
        record.ShowRecord(image);
        PictureRows onDemand;
        // A small cache, so that margins shrink and rectangles get replaced.
        onDemand.ShowBytes(l, data, 1 + static_cast<std::int64_t>(rng() % 3000));
        for (int view = 0; view < 6; ++view) {
            const std::int64_t x0 = static_cast<std::int64_t>(rng() % l.width);
            const std::int64_t y0 = static_cast<std::int64_t>(rng() % l.height);
            const std::int64_t x1 = x0 + 1 + static_cast<std::int64_t>(rng() % (l.width - x0));
            const std::int64_t y1 = y0 + 1 + static_cast<std::int64_t>(rng() % (l.height - y0));
            ExpectSameRectangle(onDemand, record, x0, y0, x1, y1);
        }
    }
}

TEST(PictureRows, ScrollingDownDecodesOnlyTheRowsThatComeIntoView) {
    std::mt19937_64 rng(1);
    const Bytes data = RandomBytes(rng, 64 * 1000);
    const DecodeLayout l{kDepth256, 0, 64, 1000, 0};
    const DibImage image = Decoded(data, l);
    PictureRows record;
    record.ShowRecord(image);
    PictureRows rows;
    rows.ShowBytes(l, data);
    ExpectSameRectangle(rows, record, 0, 500, 64, 520);
    const std::int64_t first = rows.DecodedPixels();
    EXPECT_EQ(first, 64 * 60);  // the view and a view's height above and below
    // Inside the margin: nothing new.
    ExpectSameRectangle(rows, record, 0, 510, 64, 530);
    EXPECT_EQ(rows.DecodedPixels(), first);
    // Past it: only the new rows and the new margin below them are decoded.
    ExpectSameRectangle(rows, record, 0, 530, 64, 550);
    EXPECT_EQ(rows.DecodedPixels(), first + 64 * 30);
}

TEST(PictureRows, RefusesRectanglesOutsideThePictureAndRecordsWithoutPixels) {
    const Bytes data(100, 1);
    const DecodeLayout l{kDepth256, 0, 10, 10, 0};
    PictureRows rows;
    EXPECT_FALSE(rows.Prepare(0, 0, 1, 1));  // nothing shown yet
    rows.ShowBytes(l, data);
    EXPECT_FALSE(rows.Prepare(0, 0, 11, 1));
    EXPECT_FALSE(rows.Prepare(3, 3, 3, 4));
    EXPECT_TRUE(rows.Prepare(9, 9, 10, 10));

    DibImage image = Decoded(data, l);
    image.bits.resize(10);  // no longer covers its header
    rows.ShowRecord(image);
    EXPECT_FALSE(rows.Prepare(0, 0, 1, 1));
}

TEST(PictureRows, PicturesBeyondWhatABmpHoldsAreServedRowByRow) {
    // 17 billion pixels: nothing could hold them, a few rows anywhere are cheap.
    const Bytes data(1000, 0xA5);
    const DecodeLayout l{kDepth2, 0, 3, std::int64_t{17} << 30, 0};
    PictureRows rows;
    rows.ShowBytes(l, data);
    ASSERT_TRUE(rows.Prepare(0, 0, 3, 4));
    EXPECT_EQ(rows.Row(0, 0)[1], 0);
    EXPECT_EQ(rows.Row(0, 0)[2], 1);
    ASSERT_TRUE(rows.Prepare(0, l.height - 2, 3, l.height));
    EXPECT_EQ(rows.Row(l.height - 1, 0)[2], 0);  // beyond the file
    EXPECT_LT(rows.DecodedPixels(), 100);
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
