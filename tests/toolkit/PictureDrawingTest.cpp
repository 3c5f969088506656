#include "toolkit/PictureDrawing.h"

#include <gtest/gtest.h>

#include "image/PixelDecoder.h"
#include "toolkit/MessageBoxes.h"

namespace rastel::toolkit {
namespace {

using modBITMAPinfo::DibImage;

// A 5 x 3 picture (stride 8) whose pixel at (x, y) has index 10 * y + x, and a palette whose
// channels all differ, so flipped rows and swapped red and blue both show.
DibImage Sample() {
    DibImage image;
    image.settings.gPicWidth = 5;
    image.settings.gPicHeight = 3;
    std::vector<std::uint8_t> data;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            data.push_back(static_cast<std::uint8_t>(10 * y + x));
        }
    }
    EXPECT_EQ(modBITMAPinfo::DecodePixels(image, data, 0), modBITMAPinfo::DecodeStatus::Ok);
    for (int i = 0; i < 256; ++i) {
        image.bmiColors[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i + 1),
                              static_cast<std::uint8_t>(i + 2), 0xAA};
    }
    return image;
}

QRgb Colour(int index) {
    return qRgb(index + 2, index + 1, index);
}

TEST(ExpandIndexed, AnyPartOfTheMagnifiedPictureComesOutInWholeBlocks) {
    const DibImage image = Sample();
    struct Case {
        int magX, magY;
        std::int64_t x0, y0;
        int width, height;
    };
    for (const Case c : {Case{1, 1, 0, 0, 5, 3},
                         {3, 2, 0, 0, 15, 6},
                         {3, 2, 4, 1, 7, 4},
                         {2, 5, -3, -2, 20, 20},
                         {7, 1, 30, 2, 9, 1}}) {
        const QImage out = ExpandIndexed(image, c.magX, c.magY, c.x0, c.y0, c.width, c.height);
        ASSERT_EQ(out.size(), QSize(c.width, c.height));
        for (int r = 0; r < c.height; ++r) {
            for (int col = 0; col < c.width; ++col) {
                const std::int64_t X = c.x0 + col, Y = c.y0 + r;
                const bool inside = X >= 0 && Y >= 0 && X < 5 * c.magX && Y < 3 * c.magY;
                const QRgb want = inside ? Colour(static_cast<int>(10 * (Y / c.magY) + X / c.magX))
                                         : qRgb(0, 0, 0);
                ASSERT_EQ(out.pixel(col, r), want)
                    << c.magX << "x" << c.magY << " at " << col << "," << r;
            }
        }
    }
}

TEST(ExpandIndexed, ARecordWithoutItsPixelsDrawsBlack) {
    DibImage image = Sample();
    image.bits.assign(1, 0);  // as after clearing
    const QImage out = ExpandIndexed(image, 1, 1, 0, 0, 5, 3);
    EXPECT_EQ(out.pixel(4, 2), qRgb(0, 0, 0));
}

TEST(QtFilter, TurnsPairsIntoQtFiltersAndAllFilesIntoEveryName) {
    EXPECT_EQ(QtFilter("すべてのファイル(*.*)|*.*"), "すべてのファイル(*.*) (*)");
    EXPECT_EQ(QtFilter("ビットマップファイル(*.bmp)|*.bmp|all|*.*"),
              "ビットマップファイル(*.bmp) (*.bmp);;all (*)");
}

}  // namespace
}  // namespace rastel::toolkit
