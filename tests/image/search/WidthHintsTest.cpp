#include "image/search/WidthHints.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <tuple>

#include "image/pixels/modBITMAPinfo.h"
#include "image/search/FrameSizes.h"
#include "image/search/WidthSampling.h"

namespace rastel::core {
namespace {

using namespace modBITMAPinfo;

// A smooth picture of w columns: each value follows those above and to its left.
std::vector<int> Smooth(int w, int h, int levels) {
    std::mt19937 rng(w);
    std::vector<int> v(static_cast<std::size_t>(w * h));
    for (int i = 0; i < w * h; ++i) {
        const int up = i >= w ? v[i - w] : levels / 2, left = i % w ? v[i - 1] : up;
        v[i] = std::clamp((up + left) / 2 + static_cast<int>(rng() % 5) - 2, 0, levels - 1);
    }
    return v;
}

TEST(SuggestWidths, PutsTheTrueRowLengthFirst) {
    std::vector<std::uint8_t> grey, nibbles, table;
    for (const int v : Smooth(300, 200, 256)) {
        grey.push_back(static_cast<std::uint8_t>(v));
    }
    const std::vector<int> sixteen = Smooth(90, 400, 16);
    for (std::size_t i = 0; i < sixteen.size(); i += 2) {
        nibbles.push_back(static_cast<std::uint8_t>(sixteen[i] << 4 | sixteen[i + 1]));
    }
    // Records of 37 bytes: a counter, letters, zeros and random bytes.
    std::mt19937 rng(37);
    for (int i = 0; i < 3000; ++i) {
        for (int j = 0; j < 37; ++j) {
            table.push_back(static_cast<std::uint8_t>(j < 4    ? i >> (8 * j)
                                                      : j < 24 ? 'A' + rng() % 26
                                                      : j < 28 ? 0
                                                               : rng()));
        }
    }
    for (const auto& [name, data, depth, width] :
         {std::tuple{"grey picture", &grey, kDepth256, 300},
          {"16 colours", &nibbles, kDepth16, 90},
          {"table", &table, kDepth256, 37},
          {"table in bits", &table, kDepth2, 37 * 8}}) {
        SpanSource source(*data);
        const auto widths = SuggestWidths(source, depth, 0);
        ASSERT_TRUE(widths && !widths->empty()) << name;
        EXPECT_EQ(widths->front().width, width) << name;
        EXPECT_LE(widths->size(), 8u);
        for (const auto& w : *widths) {
            // No multiple of the true width crowds in behind it.
            EXPECT_TRUE(w.width == width || w.width % width != 0) << name << " " << w.width;
            EXPECT_LE(w.score, widths->front().score);
        }
    }
}

// Frames of video after a header: the sizes whose frames fill the bytes from the offset, the
// true one first (CIF's frames hold four of QCIF's), in the lines of the widths too.
TEST(SuggestFrameSizes, RanksTheTrueSizeFirst) {
    std::vector<std::uint8_t> file(100, 7);
    const std::vector<int> y = Smooth(176, 144, 220), chroma = Smooth(88, 72, 200);
    std::mt19937 rng(8);
    for (int frame = 0; frame < 8; ++frame) {
        for (const auto* plane : {&y, &chroma, &chroma}) {
            for (const int v : *plane) {
                file.push_back(static_cast<std::uint8_t>(v + 16 + rng() % 3));
            }
        }
    }
    SpanSource source(file);
    for (const char* name : {"yuv420p", "nv12"}) {
        const PixelFormat& f = *FindFormat(name);
        const auto sizes = SuggestFrameSizes(source, f, 100);
        ASSERT_TRUE(sizes && sizes->size() == 2) << name;
        EXPECT_EQ(std::tuple(sizes->front().width, sizes->front().height, sizes->front().name),
                  std::tuple(176, 144, "QCIF"));
        EXPECT_EQ(std::tuple(sizes->back().width, sizes->back().height), std::tuple(352, 288));
        EXPECT_GT(sizes->front().score, sizes->back().score + 0.05) << name;
        EXPECT_TRUE(SuggestFrameSizes(source, f, 0)->empty());  // the header spoils every size
        Layout kind{&f};
        kind.offset = 100;
        const auto lines = SuggestWidths(source, kind);
        ASSERT_TRUE(lines && std::any_of(lines->begin(), lines->end(), [&](const auto& c) {
                        return c.frameHeight == 144 && c.width == 176 && c.format == &f;
                    }));
    }
    EXPECT_TRUE(SuggestFrameSizes(source, *FindFormat("rgb24"), 100)->empty());
    EXPECT_EQ(SuggestFrameSizes(source, *FindFormat("yuyv422"), 100 + 176 * 144 * 4)->size(), 2u);
}

// Real content, cropped small (widths/make.sh says where each file comes from): the true
// width must come by the given rank, and carry the element the data is made of.
TEST(SuggestWidths, FindsTheRowsOfRealData) {
    struct Case {
        const char* file;
        std::int32_t depth;
        std::int64_t width;
        std::size_t rank;
        int bytes;
        const char* format = nullptr;  // offered right after the row, which is in whole pixels
    };
    const Case cases[] = {
        {"grey-camera-300.raw", kDepth256, 300, 1, 1},
        {"grey-moon-257.raw", kDepth256, 257, 1, 1},
        {"grey-coins-384.raw", kDepth256, 384, 1, 1},
        {"s16le-camera-211.raw", kDepth256, 422, 1, 2, "gray16le"},
        {"s16be-moon-211.raw", kDepth256, 422, 1, 2, "gray16be"},
        {"s16le-coins-212.raw", kDepth256, 424, 1, 2, "gray16le"},
        {"s16be-camera-212.raw", kDepth256, 424, 1, 2, "gray16be"},
        {"s16le-camera-211.raw", kDepth16, 844, 1, 2, "gray16le"},
        {"rgb-coffee-600.raw", kDepth256, 1800, 1, 3, "rgb24"},
        {"rgb-chelsea-151.raw", kDepth256, 453, 1, 3},
        {"rgb-coffee-600.raw", kDepth16, 3600, 1, 3, "rgb24"},
        {"rgba-coffee-640.raw", kDepth256, 2560, 1, 4, "rgb0"},
        {"rgba-astronaut-150.raw", kDepth256, 600, 1, 4},
        {"rgba-icon-128.raw", kDepth256, 512, 1, 4, "rgb0"},
        {"bmp24-chelsea-201.bmp", kDepth256, 604, 1, 3},
        {"bmp8-camera-198.bmp", kDepth256, 200, 1, 0},
        {"bits-page-384.raw", kDepth2, 384, 1, 0},
        {"bits-text-448.raw", kDepth2, 448, 1, 1},
        {"nibbles-camera-250.raw", kDepth16, 250, 1, 1},
        {"records-magic-376.bin", kDepth256, 376, 1, 0},
        {"records-magic-376.bin", kDepth2, 376 * 8, 1, 0},
        {"records-dynsym-24.bin", kDepth256, 24, 1, 0},
        // No rows at all: nothing, however many widths the noise of a small sample offers.
        {"gzip-dpkg-changelog.bin", kDepth16, 0, 0, 0},
        {"gzip-dpkg-changelog.bin", kDepth2, 0, 0, 0},
    };
    const auto dir = std::filesystem::path(__FILE__).parent_path() / "widths";
    for (const Case& c : cases) {
        std::ifstream in(dir / c.file, std::ios::binary);
        const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(data.empty()) << c.file;
        SpanSource source(data);
        const auto widths = SuggestWidths(source, c.depth, 0);
        ASSERT_TRUE(widths && widths->empty() == (c.width == 0)) << c.file;
        if (c.width == 0) {
            continue;
        }
        const auto at = std::find_if(widths->begin(), widths->end(),
                                     [&c](const auto& w) { return w.width == c.width; });
        ASSERT_LT(static_cast<std::size_t>(at - widths->begin()), c.rank) << c.file;
        // 0: the data need not show an element of its own (headers, records of mixed fields).
        if (c.bytes > 0) {
            EXPECT_EQ(at->elementBytes, c.bytes) << c.file;
        }
        if (c.bytes > 1) {
            EXPECT_EQ(at->elementPixels, c.bytes * PixelsPerByte(c.depth)) << c.file;
        }
        if (c.format != nullptr) {
            ASSERT_LT(at + 1, widths->end()) << c.file;
            EXPECT_EQ(at[1].format, FindFormat(c.format)) << c.file;
            EXPECT_EQ(at[1].width * at[1].format->bytes * PixelsPerByte(c.depth), c.width);
        }
        for (const auto& w : *widths) {  // none offered for data of single bytes
            EXPECT_TRUE(w.format == nullptr || c.bytes != 1) << c.file;
        }
        // The element itself never comes before the row.
        EXPECT_GT(widths->front().width, widths->front().elementPixels) << c.file;
    }
}

// The distances the transform gives are those counted pair by pair, for samples of one block
// to more than the transform takes two at a time, of unequal lengths.
// Single precision is off by about a millionth of the values' mean square.
TEST(SuggestWidths, DistancesAreThoseCountedPairByPair) {
    std::mt19937 rng(5);
    for (const std::vector<std::size_t>& lengths : {std::vector<std::size_t>{300},
                                                    {2000, 1999, 1500},
                                                    {4096, 4096, 4096, 4096, 777},
                                                    {100, 900, 50, 3000, 3000, 1, 2500}}) {
        std::vector<std::vector<double>> blocks;
        double squares = 0;
        double values = 0;
        for (const std::size_t n : lengths) {
            std::vector<double> b(n);
            double v = 0;
            for (double& x : b) {
                x = v += static_cast<double>(rng() % 21) - 10;
                squares += x * x;
                ++values;
            }
            blocks.push_back(std::move(b));
        }
        const std::int64_t maxLag = static_cast<std::int64_t>(lengths.front()) / 3;
        const std::vector<double> dist = widths::Distances(blocks, maxLag);
        const std::vector<double> single =
            widths::Distances(blocks, maxLag, widths::Precision::Single);
        ASSERT_GT(std::ssize(dist), maxLag);
        ASSERT_EQ(single.size(), dist.size());
        for (std::int64_t w = 1; w <= maxLag; w += 7) {
            double sum = 0;
            double pairs = 0;
            for (const auto& b : blocks) {
                for (std::size_t i = 0; i + static_cast<std::size_t>(w) < b.size(); ++i) {
                    const double d = b[i] - b[i + static_cast<std::size_t>(w)];
                    sum += d * d;
                    ++pairs;
                }
            }
            EXPECT_NEAR(dist[static_cast<std::size_t>(w)], sum / pairs, 1e-6 * (1 + sum / pairs))
                << lengths.size() << " blocks, lag " << w;
            EXPECT_NEAR(single[static_cast<std::size_t>(w)], sum / pairs, 1e-5 * squares / values)
                << lengths.size() << " blocks, lag " << w << ", single precision";
        }
    }
}

}  // namespace
}  // namespace rastel::core
