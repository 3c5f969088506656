// The overview's blocks and classes: regions of each kind on block edges and across them,
// UTF-8 cut at every place, and the strip's rows. Pieces of any size are the worker's test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "image/search/Overview.h"
#include "image/search/StripRows.h"

namespace rastel::core {
namespace {

using Bytes = std::vector<std::uint8_t>;

double DirectEntropy(const std::uint8_t* p, std::int64_t n) {
    std::array<double, 256> counts{};
    std::for_each(p, p + n, [&counts](std::uint8_t v) { ++counts[v]; });
    double h = 0;
    for (const double c : counts)
        h -= c > 0 ? c / n * std::log2(c / n) : 0;
    return h;
}

Bytes Repeat(const std::string& unit, std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(unit[i % unit.size()]);
    return b;
}

const std::string kJapanese = "バイナリを画像にして、ファイル全体の構造を一目で見る。\n";

// Seeds choose between ASCII and Japanese text, and between a table of records of 12 bytes (a
// number, a small count, zeros) and a picture (a smooth slope with noise).
Bytes Region(ByteClass kind, std::size_t n, std::uint32_t seed) {
    if (kind == ByteClass::Text) {
        return Repeat(seed % 2 ? kJapanese : "README: \ttabs,\r\n and 12345.\n", n);
    }
    std::mt19937 rng(seed);
    Bytes b(n, kind == ByteClass::Uniform ? 0xFF : 0);
    for (std::size_t i = 0; i < n && kind == ByteClass::Random; ++i)
        b[i] = rng() & 0xFF;
    for (std::size_t i = 0; i < n && kind == ByteClass::Data; ++i) {
        const std::size_t r = i / 12,
                          record[] = {r, r >> 8, r >> 16, r >> 24, 0, 0, 0, 0, r % 7, 0, 0, 0};
        b[i] = (seed % 2 ? record[i % 12] : (i % 300) / 3 + (i / 300) % 50 + rng() % 9) & 0xFF;
    }
    return b;
}

// Every block wholly inside a region has the region's class; blocks across two regions are
// what their own bytes alone make them; every entropy is the block's.
TEST(Overview, ClassifiesRegionsAtBlockEdgesAndAcrossThem) {
    constexpr std::int64_t kBlock = 1024;
    const std::pair<ByteClass, int> regions[] = {
        {ByteClass::Zero, 0}, {ByteClass::Uniform, 0}, {ByteClass::Text, 0},
        {ByteClass::Text, 1}, {ByteClass::Random, 0},  {ByteClass::Data, 1},
        {ByteClass::Data, 0}, {ByteClass::Random, 1},  {ByteClass::Zero, 1},
    };
    for (const std::int64_t shift : {0, 1, 341, 1023}) {
        Bytes file(static_cast<std::size_t>(shift), 'x');
        std::vector<std::int64_t> starts;
        for (const auto& [kind, seed] : regions) {
            starts.push_back(std::ssize(file));
            const Bytes r = Region(kind, 4 * kBlock + (kind == ByteClass::Random ? 300 : 0), seed);
            file.insert(file.end(), r.begin(), r.end());
        }
        starts.push_back(std::ssize(file));
        file.resize((file.size() / kBlock + 1) * kBlock - 1);  // a last block one byte short
        const std::int64_t count = (std::ssize(file) + kBlock - 1) / kBlock;
        const Overview o = ComputeOverview(file, count);
        ASSERT_EQ(o.blockSize(), kBlock);
        for (std::int64_t i = 0; i < o.blockCount(); ++i) {
            const std::int64_t a = o.BlockStart(i), n = o.BlockLength(i);
            EXPECT_NEAR(o.Entropy(i), DirectEntropy(&file[a], n), 1e-5) << i;
            const auto r = std::upper_bound(starts.begin(), starts.end(), a) - starts.begin() - 1;
            if (r >= 0 && r < std::ssize(regions) && a + n <= starts[r + 1]) {
                EXPECT_EQ(o.Class(i), regions[r].first) << shift << " block " << i;
            } else {
                EXPECT_EQ(o.Class(i), ComputeOverview(std::span(file).subspan(a, n), 1).Class(0))
                    << shift << " block " << i;
            }
        }
    }
}

// Text is judged by the block's bytes alone: a sequence cut by either edge is text, one broken
// inside the block is not, nor the forms UTF-8 forbids.
TEST(Overview, JudgesUtf8ByTheBlocksOwnBytes) {
    const Bytes japanese = Repeat(kJapanese, 5 * 7 * 11 * 64);
    for (const std::int64_t size : {2, 5, 7, 11, 64}) {
        OverviewBuilder builder(std::ssize(japanese), std::ssize(japanese) / size);
        for (std::size_t pos = 0, n = 1; pos < japanese.size(); pos += n, n = n % 3 + 1) {
            builder.Feed(std::span(japanese).subspan(pos, std::min(n, japanese.size() - pos)));
        }
        const Overview& o = builder.result();
        ASSERT_EQ(o.blockSize(), size);
        for (std::int64_t i = 0; i < o.blockCount(); ++i) {
            EXPECT_TRUE(o.Class(i) == ByteClass::Text || o.Class(i) == ByteClass::Uniform)
                << size << " block " << i;
        }
    }
    // In octal, so that no escape runs into the letters after it.
    const std::pair<std::string, ByteClass> blocks[] = {
        {"\201\202\203abcdefg", ByteClass::Text},     // the end of a 4-byte sequence
        {"\201\202\203\204abcdef", ByteClass::Data},  // more than a sequence's end
        {"abcdefg\360\237\230", ByteClass::Text},     // cut by the block's end
        {"abcdefg\355\237\277", ByteClass::Text},     // the last before the surrogates
        {"a\360\237\230\200bcdefg", ByteClass::Text},
        {"abc\343\201defgh", ByteClass::Data},  // broken off inside
        {"ab\300\200cdefgh", ByteClass::Data},  // overlong
        {"ab\340\237\277cdefg", ByteClass::Data},
        {"ab\355\240\200cdefg", ByteClass::Data},          // a surrogate
        {"ab\364\220\200\200cdef", ByteClass::Data},       // beyond U+10FFFF
        {"abcdefgh\014\n", ByteClass::Data},               // a control other than tab, CR and LF
        {"abcdefghij klmnopq\200rs", ByteClass::Text},     // one byte in 20 need not be text
        {"abcdefghij\014klmnopq\200rs", ByteClass::Data},  // but not two
    };
    for (const auto& [text, kind] : blocks) {
        EXPECT_EQ(ComputeOverview(Bytes(text.begin(), text.end()), 1).Class(0), kind) << text;
    }
}

TEST(Overview, SizesBlocksAndStripRows) {
    EXPECT_EQ(OverviewBlockSize(10, 4), 3);
    EXPECT_EQ(OverviewBlockSize(0x7EFFFFFF, 1 << 20), 32512);  // kept to 65536 blocks
    const Overview o = ComputeOverview(Bytes{0, 0, 0, 'a', 'b', 'c', 'd', 'e', 'f', 7}, 4);
    const ClassMix mix = o.Mix(2, 7);  // a zero byte, then text
    EXPECT_DOUBLE_EQ(mix.share[0], 0.2);
    EXPECT_DOUBLE_EQ(mix.share[2], 0.8);
    EXPECT_NEAR(RandomEntropy(2), 255.0 / 256, 1e-12);  // two bytes differ but one time in 256
    EXPECT_NEAR(RandomEntropy(1 << 20), 8 - 255 / (2 * std::log(2.0) * (1 << 20)), 1e-6);
    // Random bytes: in a block of 256, near what 256 random bytes give; in shorter ones, never.
    EXPECT_EQ(ComputeOverview(Region(ByteClass::Random, 256, 3), 1).Class(0), ByteClass::Random);
    EXPECT_EQ(ComputeOverview(Region(ByteClass::Random, 255, 3), 1).Class(0), ByteClass::Data);
    // Rows of equal shares, at least a byte each; StripRowOf names the first that holds a byte.
    for (const auto& [size, rows] : {std::pair<std::int64_t, std::int64_t>{1000, 7}, {5, 12}}) {
        for (std::int64_t pos = 0; pos < size; ++pos) {
            const std::int64_t r = StripRowOf(size, rows, pos);
            const ByteRange b = StripRowBytes(size, rows, r);
            EXPECT_TRUE(b.begin <= pos && pos < b.end &&
                        b.end - b.begin <= (size + rows - 1) / rows);
            EXPECT_TRUE(r == 0 || StripRowBytes(size, rows, r - 1).end <= pos) << pos;
        }
        EXPECT_EQ(StripRowBytes(size, rows, rows - 1).end, size);
        EXPECT_EQ(StripRowBytes(size, rows, 0).end, std::max<std::int64_t>(1, size / rows));
    }
}

}  // namespace
}  // namespace rastel::core
