// Direct formats: every format's fast decoders against its plain rule over awkward layouts,
// worked values of each family, the geometry's rules, and how gray16 and alpha are shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "image/pixels/FormatDisplay.h"
#include "image/pixels/FormatWindowDecoder.h"
#include "image/pixels/FrameDecoder.h"
#include "image/pixels/Layout.h"
#include "image/rules/FieldRules.h"

namespace rastel::core {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Decoded(const Bytes& out, std::int64_t i, std::int64_t unit) {
    std::uint32_t v = 0;
    std::memcpy(&v, out.data() + i * unit, static_cast<std::size_t>(unit));
    return v;
}

// Odd widths, offsets that cut pixels and pairs (before the file too), strides that do not
// keep pairs aligned, and rows past the file's end.
TEST(FormatDecoder, FastPathsMatchThePlainRule) {
    std::mt19937 rng(25);
    Bytes data(251);
    for (std::uint8_t& b : data) {
        b = static_cast<std::uint8_t>(rng());
    }
    SpanSource source(data);
    for (const PixelFormat& f : kColourFormats) {
        const std::int64_t unit = DecodedBytes(f);
        for (const std::int64_t width : {1, 3, 7, 16, 69}) {
            for (const std::int64_t offset : {-9, -1, 0, 1, 2, 5, 58, 240}) {
                for (const std::int64_t pad : {-1, 0, 1, 2, 5}) {
                    const std::int64_t stride = pad < 0 ? 0 : width * f.bytes + pad;
                    // Planes in one frame, or in frames of 1 and 3 rows.
                    const std::int64_t frame = f.family == FormatFamily::Planar ? (pad + 1) % 4 : 0;
                    FormatLayout l = FormatLayout::For(f, 251, width, offset, stride, frame);
                    l.height += l.frameHeight > 0 ? l.frameHeight : 1;
                    SCOPED_TRACE(testing::Message()
                                 << f.name << " width " << width << " offset " << offset
                                 << " stride " << stride << " frame " << frame);
                    const std::int64_t x0 = width / 2;
                    const std::int64_t count = width - x0;
                    Bytes rows(static_cast<std::size_t>(l.height * count * unit + 1), 0xA5);
                    Bytes window(rows.size() - count * unit);  // from row 1: mid-file
                    DecodeFormatRows(l, data, 0, l.height, x0, count, rows.data(), count * unit);
                    FormatWindowDecoder(l, source).Decode(1, l.height, x0, count, window.data(),
                                                          count * unit);
                    Range16 range;
                    for (std::int64_t y = 0; y < l.height; ++y) {
                        for (std::int64_t x = 0; x < width; ++x) {
                            const std::uint32_t want = FormatPixelAt(l, data, x, y).value;
                            range.Add(static_cast<std::uint16_t>(want));
                            if (x >= x0) {
                                const std::int64_t i = y * count + x - x0;
                                ASSERT_EQ(Decoded(rows, i, unit), want) << x << "," << y;
                                ASSERT_TRUE(y == 0 || Decoded(window, i - count, unit) == want)
                                    << x << "," << y;
                            }
                        }
                    }
                    EXPECT_EQ(rows.back(), 0xA5);
                    if (f.family == FormatFamily::Gray16) {
                        EXPECT_EQ(Gray16Range(l, data, 0, l.height), range);
                        EXPECT_EQ(FormatWindowDecoder(l, source).Range(0, l.height), range);
                        // Measured as the file arrives, 5 bytes at a time: the bytes still to
                        // come hold 0xFF, which a row measured too early takes in.
                        Bytes arriving(data.size(), 0xFF);
                        GreyMeter meter(l);
                        for (std::size_t at = 0; at < data.size(); at += 5) {
                            const std::size_t n = std::min<std::size_t>(5, data.size() - at);
                            std::copy_n(data.begin() + at, n, arriving.begin() + at);
                            meter.Arrived(arriving, static_cast<std::int64_t>(at + n));
                        }
                        EXPECT_EQ(meter.Done(arriving), range);
                    }
                }
            }
        }
    }
}

struct Worked {
    const char* format;
    Bytes bytes;
    std::uint32_t first, second;  // the first two pixels, as decoded
};

TEST(FormatDecoder, WorkedValues) {
    const Worked cases[] = {
        {"rgb24", {1, 2, 3, 4, 5, 6}, 0xFF010203, 0xFF040506},
        {"bgr24", {1, 2, 3, 4, 5, 6}, 0xFF030201, 0xFF060504},
        {"rgb0", {1, 2, 3, 4, 5, 6, 7, 8}, 0xFF010203, 0xFF050607},
        {"bgr0", {1, 2, 3, 4, 5, 6, 7, 8}, 0xFF030201, 0xFF070605},
        {"rgba", {1, 2, 3, 4, 5, 6, 7, 8}, 0x04010203, 0x08050607},
        {"bgra", {1, 2, 3, 4, 5, 6, 7, 8}, 0x04030201, 0x08070605},
        {"argb", {1, 2, 3, 4, 5, 6, 7, 8}, 0x01020304, 0x05060708},
        {"abgr", {1, 2, 3, 4, 5, 6, 7, 8}, 0x01040302, 0x05080706},
        {"rgb565le", {0x00, 0xF8, 0x1F, 0x00}, 0xFFFF0000, 0xFF0000FF},
        {"rgb565le", {0xE0, 0x07, 0x10, 0x84}, 0xFF00FF00, 0xFF848284},  // bits repeated
        {"rgb565be", {0xF8, 0x00, 0x00, 0x1F}, 0xFFFF0000, 0xFF0000FF},
        {"bgr565le", {0x00, 0xF8, 0x1F, 0x00}, 0xFF0000FF, 0xFFFF0000},
        {"rgb555le", {0x00, 0x80, 0x00, 0x7C}, 0xFF000000, 0xFFFF0000},  // top bit ignored
        {"rgb555le", {0xE0, 0x03, 0x10, 0x42}, 0xFF00FF00, 0xFF848484},
        {"gray16le", {0x34, 0x12, 0xFF, 0x0F}, 0x1234, 0x0FFF},
        {"gray16be", {0x34, 0x12, 0xFF, 0x0F}, 0x3412, 0xFF0F},
        {"gray10le", {0xFF, 0x03, 0xFF, 0xFF}, 0x03FF, 0x03FF},  // the high 6 bits ignored
        {"gray12le", {0xFF, 0x0F, 0x34, 0x12}, 0x0FFF, 0x0234},
        {"rgb48le", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 0xFF020406, 0xFF080A0C},  // high bytes
        {"rgb48be", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 0xFF010305, 0xFF07090B},
        {"rgba64le",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         0x08020406,
         0x100A0C0E},
        {"rgba64be",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         0x07010305,
         0x0F090B0D},
        {"yuyv422", {235, 128, 16, 128}, 0xFFFFFFFF, 0xFF000000},
        {"yuyv422", {81, 90, 145, 240}, 0xFFFE0000, 0xFFFF4A4A},  // red, and lighter
        {"uyvy422", {90, 81, 240, 145}, 0xFFFE0000, 0xFFFF4A4A},
        // Frames of 2 x 2 pixels, or of a row of 2 where the chroma is not halved down.
        {"yuv420p", {235, 16, 0, 0, 128, 128}, 0xFFFFFFFF, 0xFF000000},
        {"yuv420p", {81, 145, 0, 0, 90, 240}, 0xFFFE0000, 0xFFFF4A4A},
        {"yv12", {81, 145, 0, 0, 240, 90}, 0xFFFE0000, 0xFFFF4A4A},
        {"nv12", {81, 145, 0, 0, 90, 240}, 0xFFFE0000, 0xFFFF4A4A},
        {"nv21", {81, 145, 0, 0, 240, 90}, 0xFFFE0000, 0xFFFF4A4A},
        {"yuv422p", {81, 145, 90, 240}, 0xFFFE0000, 0xFFFF4A4A},
        {"yuv411p", {81, 145, 90, 240}, 0xFFFE0000, 0xFFFF4A4A},
        {"nv16", {81, 145, 90, 240}, 0xFFFE0000, 0xFFFF4A4A},
        {"yuv444p", {81, 235, 90, 128, 240, 128}, 0xFFFE0000, 0xFFFFFFFF},
        {"nv24", {81, 235, 90, 240, 128, 128}, 0xFFFE0000, 0xFFFFFFFF},
        // 10 bits in the low bits (the high 6 ignored) or the high ones, and 16: full scale is
        // white, 16 at 8 bits black.
        {"yuv420p10le", {0xFF, 0xFF, 0x40, 0, 0, 0, 0, 0, 0, 2, 0, 2}, 0xFFFFFFFF, 0xFF000000},
        {"yuv422p10le", {0xFF, 0x03, 0x40, 0, 0, 2, 0, 2}, 0xFFFFFFFF, 0xFF000000},
        {"p010le", {0xC0, 0xFF, 0, 0x10, 0, 0, 0, 0, 0, 0x80, 0, 0x80}, 0xFFFFFFFF, 0xFF000000},
        {"p016le", {0xFF, 0xFF, 0, 0x10, 0, 0, 0, 0, 0, 0x80, 0, 0x80}, 0xFFFFFFFF, 0xFF000000},
        // Mosaics of 2 x 2 sites: each keeps its own colour; across the edges the nearest
        // sites of a colour stand for the missing ones.
        {"bayer_rggb8", {200, 100, 50, 10}, 0xFFC84B0A, 0xFFC8640A},
        {"bayer_bggr8", {200, 100, 50, 10}, 0xFF0A4BC8, 0xFF0A64C8},
        {"bayer_grbg8", {200, 100, 50, 10}, 0xFF64C832, 0xFF646932},
        {"bayer_gbrg8", {200, 100, 50, 10}, 0xFF32C864, 0xFF326964},
        {"bayer_rggb16le", {0, 200, 0xFF, 100, 0x01, 50, 0, 10}, 0xFFC84B0A, 0xFFC8640A},
        {"bayer_gbrg16le", {0, 200, 0, 100, 0, 50, 0, 10}, 0xFF32C864, 0xFF326964},
    };
    for (const Worked& w : cases) {
        const FormatLayout l =
            FormatLayout::For(*FindFormat(w.format), std::ssize(w.bytes), 2, 0, 0);
        EXPECT_EQ(FormatPixelAt(l, w.bytes, 0, 0).value, w.first) << w.format;
        EXPECT_EQ(FormatPixelAt(l, w.bytes, 1, 0).value, w.second) << w.format;
    }
}

// What the readout names: the stored channels, the pixel's first byte and its YUV pair, which
// counts from the picture's first byte, across rows when the width is odd.
TEST(FormatDecoder, ChannelsAndPairs) {
    const Bytes data = {81, 90, 82, 240, 83, 91, 84, 241, 85, 92};
    const FormatLayout yuv = FormatLayout::For(*FindFormat("yuyv422"), 10, 3, 0, 0);
    const FormatPixel p = FormatPixelAt(yuv, data, 0, 1);
    EXPECT_EQ(p.byte, 6);
    EXPECT_EQ(p.pair, 4);
    EXPECT_EQ(p.channels, (std::array<std::uint32_t, 4>{84, 91, 241, 0}));
    const FormatLayout shifted = FormatLayout::For(*FindFormat("yuyv422"), 10, 3, -2, 0);
    EXPECT_EQ(FormatPixelAt(shifted, data, 1, 0).pair, -2);
    EXPECT_EQ(FormatPixelAt(shifted, data, 1, 0).channels,
              (std::array<std::uint32_t, 4>{81, 0, 90, 0}));
    const FormatLayout strided = FormatLayout::For(*FindFormat("rgb565le"), 10, 1, 1, 5);
    EXPECT_EQ(FormatPixelAt(strided, Bytes{0, 0, 0, 0, 0, 0, 0xFF, 0xF7}, 0, 1).channels,
              (std::array<std::uint32_t, 4>{30, 63, 31, 0}));
    EXPECT_EQ(FormatPixelAt(strided, data, 0, 1).byte, 6);

    // Frames of 4 rows of 3 bytes, 2 pixels each: a chroma row of 2 bytes a plane, of 4
    // interleaved; 20 bytes a frame. Pixel (1, 7) is frame 1's row 3, chroma row 1.
    for (const auto& [name, u, v] : {std::tuple("yuv420p", 34, 38), std::tuple("yv12", 38, 34),
                                     std::tuple("nv12", 36, 37), std::tuple("nv21", 37, 36)}) {
        const FormatLayout planes = FormatLayout::For(*FindFormat(name), 40, 2, 0, 3, 4);
        EXPECT_EQ(planes.height, 8) << name;
        EXPECT_EQ(FormatPixelAt(planes, {}, 1, 7).byte, 30) << name;
        EXPECT_EQ(ChromaOf(planes, 1, 7).u, u) << name;
        EXPECT_EQ(ChromaOf(planes, 1, 7).v, v) << name;
        EXPECT_EQ(FormatCellOf(planes, u), (modBITMAPinfo::Cell{0, 6})) << name;
        EXPECT_EQ(FormatCellOf(planes, 27), (modBITMAPinfo::Cell{1, 6})) << name;
    }
    const PixelFormat& i420 = *FindFormat("yuv420p");
    EXPECT_EQ(FormatHeight(i420, 32, 2, 3, 4), 8);  // the second frame's luma is in
    EXPECT_EQ(FormatHeight(i420, 31, 2, 3, 4), 4);
    EXPECT_EQ(FormatHeight(i420, 1382400, 1280, 0, 0), 720);  // one frame, the whole file
    EXPECT_EQ(FormatHeight(i420, 1382399, 1280, 0, 0), 719);
    const FormatLayout alpha = FormatLayout::For(*FindFormat("argb"), 10, 1, 0, 0);
    EXPECT_EQ(FormatPixelAt(alpha, data, 0, 0).channels,
              (std::array<std::uint32_t, 4>{90, 82, 240, 81}));
}

TEST(PixelFormat, NamesAndGeometry) {
    EXPECT_EQ(FormatNames(" ").substr(0, 17), "rgb24 bgr24 rgb0 ");
    EXPECT_EQ(FindFormat("uyvy422"), &kColourFormats[15]);
    EXPECT_EQ(FindFormat("RGB24"), nullptr);
    EXPECT_EQ(FindFormat("pal8"), nullptr);  // palette indices go by depth and order
    EXPECT_EQ(std::tuple(IndexFormat(1, 2)->name, IndexFormat(2, 2), ChoiceOf(kFormats[3])),
              std::tuple("pal4.2", nullptr, 0));
    EXPECT_EQ(ChosenFormat(0), nullptr);
    EXPECT_EQ(ChosenFormat(1)->name, "rgb24");
    EXPECT_EQ(ChosenFormat(43)->name, "bayer_gbrg16le");
    EXPECT_EQ(ChosenFormat(44), nullptr);
    EXPECT_EQ(ChoiceOf(*FindFormat("gray16be")), 14);

    const PixelFormat& rgb = *FindFormat("rgb24");
    EXPECT_EQ(FormatPixelCount(rgb, 10), 4);
    EXPECT_EQ(FormatHeight(rgb, 10, 3, 0), 2);
    EXPECT_EQ(FormatHeight(rgb, 10, 1, 0), 4);
    EXPECT_EQ(FormatLayout::For(rgb, 17, 1, 0, 8).height, 3);  // rows of the stride's bytes
    const FormatLayout l = FormatLayout::For(rgb, 17, 2, -4, 8);
    EXPECT_EQ(l.byteOf(2, 1), 15);

    // The settings' one layout: the order of the depth shown, the offset only when it is on,
    // the stride only for a format; and the rows each kind takes.
    modBITMAPinfo::ViewSettings v;
    v.gPicWidth = 3;
    v.gPicHeight = 7;
    v.gColBit = modBITMAPinfo::kDepth16;
    v.gArray16 = 2;
    v.gOffA = 5;
    v.gStride = 8;
    Layout indices = LayoutOf(v);
    EXPECT_EQ(std::tuple(indices.format->depth, indices.format->order, indices.offset),
              std::tuple(1, 2, 0));
    EXPECT_EQ(RowsFor(indices, 10, 3), 7);  // 20 pixels at 16 colours
    v.gUseOffset = true;
    v.gFormat = &rgb;
    const Layout colours = LayoutOf(v);
    EXPECT_EQ(std::tuple(colours.format, colours.width, colours.height, colours.offset),
              std::tuple(&rgb, 3, 7, 5));
    EXPECT_EQ(std::pair(PixelCountOf(colours, 17), RowsFor(colours, 17, 1)),
              std::pair(std::int64_t{6}, std::int64_t{3}));
    EXPECT_EQ(BytesOfRows(colours, 1, 2, 17), std::pair(std::int64_t{13}, std::int64_t{17}));
    EXPECT_EQ(std::pair(CellOf(colours, 14), BeforeStart(colours, 4)),
              std::pair(std::optional<modBITMAPinfo::Cell>({0, 1}), true));

    using P = Outcome::Why;
    const std::int64_t limit = fieldRules::kOffsetLimit;
    const struct {
        std::int64_t file, width, offset, stride;
        Outcome::Why problem;
    } rules[] = {
        {3, 1, 0, 0, P::kDone},
        {2, 1, 0, 0, P::kFileTooShort},
        {10, 0, 0, 0, P::kWidthTooSmall},
        {10, 4, 0, 0, P::kDone},
        {10, 5, 0, 0, P::kWidthTooLarge},
        {10, 3, 0, 9, P::kDone},
        {10, 3, 0, 8, P::kStrideTooSmall},
        {10, 1, 0, -3, P::kStrideTooSmall},
        {10, 1, 0, kMaxStride, P::kDone},
        {10, 1, 0, kMaxStride + 1, P::kStrideTooLarge},
        {10, 1, 1 - limit, 0, P::kDone},
        {10, 1, -limit, 0, P::kOffsetTooLarge},
        {10, 1, limit, 0, P::kOffsetTooLarge},
    };
    for (const auto& r : rules) {
        EXPECT_EQ(CheckFormatLayout(rgb, r.file, r.width, r.offset, r.stride).why, r.problem)
            << r.file << " " << r.width << " " << r.offset << " " << r.stride;
    }
}

TEST(FormatDisplay, GreyLevelsAndChecker) {
    const Range16 range{100, 4095};
    const GreyScale scale(range);
    for (const auto& [v, level] : {std::pair<int, int>{0, 0},
                                   {100, 0},
                                   {108, 1},
                                   {2097, 127},
                                   {2098, 128},
                                   {4095, 255},
                                   {65535, 255}}) {
        EXPECT_EQ(GreyLevel(static_cast<std::uint16_t>(v), range), level) << v;
        EXPECT_EQ(scale(static_cast<std::uint16_t>(v)), level) << v;
    }
    EXPECT_EQ(GreyLevel(0x1234, Range16{0x1234, 0x1234}), 0x12);
    EXPECT_EQ(GreyLevel(0x1234, Range16{}), 0x12);

    EXPECT_EQ(CheckerTone(0, 7), kCheckerLight);
    EXPECT_EQ(CheckerTone(8, 0), kCheckerDark);
    EXPECT_EQ(CheckerTone(15, 8), kCheckerLight);
    EXPECT_NE(kCheckerLight, kCheckerDark);
    EXPECT_EQ(OverGrey(0x00123456, kCheckerDark), 0xFFCCCCCC);  // transparent: the board
    EXPECT_EQ(OverGrey(0xFF123456, kCheckerDark), 0xFF123456);
    EXPECT_EQ(OverGrey(0x80FF0000, 0x00), 0xFF800000);
    EXPECT_EQ(OverGrey(0x40000000, 0xFF), 0xFFBFBFBF);
}

}  // namespace
}  // namespace rastel::core
