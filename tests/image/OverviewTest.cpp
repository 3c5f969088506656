// The overview's blocks and classes: regions of each kind on block edges and across them,
// UTF-8 cut at every place, pieces of any size, and the strip's rows.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "image/Overview.h"

namespace rastel::modBITMAPinfo {
namespace {

using Bytes = std::vector<std::uint8_t>;

double DirectEntropy(const std::uint8_t* p, std::int64_t n) {
    std::array<double, 256> counts{};
    for (std::int64_t i = 0; i < n; ++i) {
        ++counts[p[i]];
    }
    double h = 0;
    for (const double c : counts) {
        h -= c > 0 ? c / n * std::log2(c / n) : 0;
    }
    return h;
}

Bytes Repeat(const std::string& unit, std::size_t n) {
    Bytes b;
    while (b.size() < n) {
        b.insert(b.end(), unit.begin(), unit.end());
    }
    b.resize(n);
    return b;
}

const std::string kJapanese = "バイナリを画像にして、ファイル全体の構造を一目で見る。\n";

Bytes Region(ByteClass kind, std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    switch (kind) {
        case ByteClass::Zero:
            break;
        case ByteClass::Uniform:
            b.assign(n, 0xFF);
            break;
        case ByteClass::Text:
            return seed % 2 ? Repeat(kJapanese, n)
                            : Repeat("Each line of a README, \twith tabs,\r\n and 12345.\n", n);
        case ByteClass::Random:
            for (auto& v : b)
                v = static_cast<std::uint8_t>(rng());
            break;
        case ByteClass::Data:
            for (std::size_t i = 0; i < n; ++i) {
                // records of 12 bytes (a number, a small count, a flag), or a picture: a smooth
                // slope with noise
                const std::size_t r = i / 12;
                b[i] = static_cast<std::uint8_t>(seed % 2
                                                     ? (i % 12 < 4    ? r >> (8 * (i % 4))
                                                        : i % 12 == 8 ? r % 7
                                                                      : 0)
                                                     : (i % 300) / 3 + (i / 300) % 50 + rng() % 9);
            }
            break;
    }
    return b;
}

// Every block wholly inside a region has the region's class; blocks across two regions are
// what their own bytes alone make them; every entropy is the block's, whatever the pieces.
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
        OverviewBuilder pieces(std::ssize(file), count);
        std::mt19937 rng(static_cast<std::uint32_t>(shift));
        for (std::size_t pos = 0; pos < file.size();) {
            const std::size_t n = std::min<std::size_t>(file.size() - pos, rng() % 3000);
            pieces.Feed(std::span(file).subspan(pos, n));
            pos += n;
        }
        ASSERT_TRUE(pieces.done());
        for (std::int64_t i = 0; i < o.blockCount(); ++i) {
            const std::int64_t a = o.BlockStart(i), n = o.BlockLength(i);
            EXPECT_NEAR(o.Entropy(i), DirectEntropy(&file[a], n), 1e-5) << i;
            EXPECT_EQ(pieces.result().Entropy(i), o.Entropy(i)) << shift << " block " << i;
            EXPECT_EQ(pieces.result().Class(i), o.Class(i)) << shift << " block " << i;
            const auto r = std::upper_bound(starts.begin(), starts.end(), a) - starts.begin() - 1;
            if (r >= 0 && r < std::ssize(regions) && a + n <= starts[r + 1]) {
                EXPECT_EQ(o.Class(i), regions[r].first) << shift << " block " << i;
            } else {
                const Overview alone = ComputeOverview(std::span(file).subspan(a, n), 1);
                EXPECT_EQ(o.Class(i), alone.Class(0)) << shift << " block " << i;
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
    const std::pair<std::string, ByteClass> blocks[] = {
        {"\x81\x82\x83"
         "abcdefg",
         ByteClass::Text},  // the end of a 4-byte sequence
        {"\x81\x82\x83\x84"
         "abcdef",
         ByteClass::Data},  // more than a sequence's end
        {"abcdefg"
         "\xF0\x9F\x98",
         ByteClass::Text},  // cut by the block's end
        {"abcdefg"
         "\xED\x9F\xBF",
         ByteClass::Text},  // the last before the surrogates
        {"a\xF0\x9F\x98\x80"
         "bcdefg",
         ByteClass::Text},
        {"abc\xE3\x81"
         "defgh",
         ByteClass::Data},  // broken off inside
        {"ab\xC0\x80"
         "cdefgh",
         ByteClass::Data},  // overlong
        {"ab\xE0\x9F\xBF"
         "cdefg",
         ByteClass::Data},
        {"ab\xED\xA0\x80"
         "cdefg",
         ByteClass::Data},  // a surrogate
        {"ab\xF4\x90\x80\x80"
         "cdef",
         ByteClass::Data},                    // beyond U+10FFFF
        {"abcdefgh\x0C\n", ByteClass::Data},  // a control other than tab, CR and LF
    };
    for (const auto& [text, kind] : blocks) {
        const Overview o = ComputeOverview(Bytes(text.begin(), text.end()), 1);
        EXPECT_EQ(o.Class(0), kind) << text;
    }
}

TEST(Overview, SizesBlocksAndStripRows) {
    EXPECT_EQ(OverviewBlockSize(10, 4), 3);
    EXPECT_EQ(OverviewBlockSize(10, 65536), 1);
    EXPECT_EQ(OverviewBlockSize(0x7EFFFFFF, 1 << 20), 32512);  // kept to 65536 blocks
    const Overview o = ComputeOverview(Bytes{0, 0, 0, 'a', 'b', 'c', 'd', 'e', 'f', 7}, 4);
    EXPECT_EQ(o.blockCount(), 4);
    EXPECT_EQ(o.BlockLength(3), 1);
    const ClassMix mix = o.Mix(2, 7);  // a zero byte, then text
    EXPECT_DOUBLE_EQ(mix.share[0], 0.2);
    EXPECT_DOUBLE_EQ(mix.share[2], 0.8);
    EXPECT_NEAR(RandomEntropy(2), 255.0 / 256, 1e-12);  // two bytes differ but one time in 256
    EXPECT_NEAR(RandomEntropy(1 << 20), 8 - 255 / (2 * std::log(2.0) * (1 << 20)), 1e-6);
    // Random bytes: in a block of 256, near what 256 random bytes give; in shorter ones, never.
    EXPECT_EQ(ComputeOverview(Region(ByteClass::Random, 256, 3), 1).Class(0), ByteClass::Random);
    EXPECT_EQ(ComputeOverview(Region(ByteClass::Random, 255, 3), 1).Class(0), ByteClass::Data);
    // Rows of equal shares, at least a byte each, every byte in the row StripRowOf names.
    for (const auto& [size, rows] : {std::pair<std::int64_t, std::int64_t>{1000, 7}, {5, 12}}) {
        std::int64_t next = 0;
        for (std::int64_t r = 0; r < rows; ++r) {
            const ByteRange b = StripRowBytes(size, rows, r);
            EXPECT_TRUE(b.begin == next || (size < rows && b.begin == next - 1)) << r;
            EXPECT_GE(b.end - b.begin, std::max<std::int64_t>(1, size / rows));
            EXPECT_LE(b.end - b.begin, (size + rows - 1) / rows);
            next = b.end;
        }
        EXPECT_EQ(next, size);
        for (std::int64_t pos = 0; pos < size; ++pos) {
            const std::int64_t r = StripRowOf(size, rows, pos);
            EXPECT_LE(StripRowBytes(size, rows, r).begin, pos);
            EXPECT_GT(StripRowBytes(size, rows, r).end, pos);
            EXPECT_TRUE(r == 0 || StripRowBytes(size, rows, r - 1).end <= pos);
        }
    }
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
