// How little of a picture too large to hold is decoded as it is shown. That the rows decoded
// on demand are the picture's is the decoder fuzz check's business.
#include "image/PictureRows.h"

#include <gtest/gtest.h>

#include <vector>

namespace rastel::modBITMAPinfo {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(PictureRows, ScrollingDownDecodesOnlyTheRowsThatComeIntoView) {
    const Bytes data(64 * 1000, 7);
    PictureRows rows;
    rows.ShowBytes({kDepth256, 0, 64, 1000, 0}, data);
    ASSERT_TRUE(rows.Prepare(0, 500, 64, 520));
    const std::int64_t first = rows.DecodedPixels();
    EXPECT_EQ(first, 64 * 60);                   // the view and a view's height above and below
    ASSERT_TRUE(rows.Prepare(0, 510, 64, 530));  // inside the margin: nothing new
    EXPECT_EQ(rows.DecodedPixels(), first);
    // Past it: only the new rows and the new margin below them.
    ASSERT_TRUE(rows.Prepare(0, 530, 64, 550));
    EXPECT_EQ(rows.DecodedPixels(), first + 64 * 30);
    EXPECT_EQ(rows.Row(549, 63)[0], 7);
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

TEST(PictureRows, RefusesRectanglesOutsideThePictureAndRecordsWithoutPixels) {
    const Bytes data(100, 1);
    PictureRows rows;
    EXPECT_FALSE(rows.Prepare(0, 0, 1, 1));  // nothing shown yet
    rows.ShowBytes({kDepth256, 0, 10, 10, 0}, data);
    EXPECT_FALSE(rows.Prepare(0, 0, 11, 1));
    EXPECT_FALSE(rows.Prepare(3, 3, 3, 4));
    EXPECT_TRUE(rows.Prepare(9, 9, 10, 10));
    DibImage image;
    image.bmiHeader.biWidth = image.bmiHeader.biHeight = 10;
    image.bits.resize(10);  // does not cover its header
    rows.ShowRecord(image);
    EXPECT_FALSE(rows.Prepare(0, 0, 1, 1));
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
