#include "image/search/Overview.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rastel::core {

namespace {

using Rules = OverviewRules;

// Bytes below 0x80 that text does not hold: controls other than tab, LF and CR, and DEL.
constexpr bool IsControl(int v) {
    return (v < 0x20 && v != '\t' && v != '\n' && v != '\r') || v == 0x7F;
}

// The byte values no text holds, wherever they stand: controls, and what UTF-8 never uses.
constexpr auto kNeverText = [] {
    std::array<std::uint8_t, 43> values{};
    std::size_t n = 0;
    for (int v = 0; v < 256; ++v) {
        if (IsControl(v) || v == 0xC0 || v == 0xC1 || v >= 0xF5) {
            values[n++] = static_cast<std::uint8_t>(v);
        }
    }
    return values;
}();

// c * log2(c) for the small counts that most blocks' values have, so that a block's entropy
// costs 256 look-ups rather than 256 logarithms.
constexpr std::size_t kTableCounts = 4096;
const std::array<double, kTableCounts>& CountLogs() {
    static const std::array<double, kTableCounts> table = [] {
        std::array<double, kTableCounts> t{};
        for (std::size_t c = 1; c < kTableCounts; ++c) {
            t[c] = static_cast<double>(c) * std::log2(static_cast<double>(c));
        }
        return t;
    }();
    return table;
}

double CountLog(std::uint32_t c) {
    return c < kTableCounts ? CountLogs()[c] : c * std::log2(static_cast<double>(c));
}

// How many of the n bytes at p equal v, from the first on; words at a time.
std::int64_t EqualPrefix(const std::uint8_t* p, std::int64_t n, std::uint8_t v) {
    const std::uint64_t fill = 0x0101010101010101ULL * v;
    std::int64_t i = 0;
    for (; i + 32 <= n; i += 32) {
        std::uint64_t w[4];
        std::memcpy(w, p + i, sizeof w);
        if (((w[0] ^ fill) | (w[1] ^ fill) | (w[2] ^ fill) | (w[3] ^ fill)) != 0) {
            break;
        }
    }
    while (i < n && p[i] == v) {
        ++i;
    }
    return i;
}

}  // namespace

const char* ClassWord(ByteClass c) {
    static const char* const kWords[kClassCount] = {"zero", "uniform", "text", "random", "data"};
    return kWords[static_cast<int>(c)];
}

std::int64_t OverviewBlockSize(std::int64_t size, std::int64_t count) {
    count = std::clamp<std::int64_t>(count, 1, kMaxOverviewBlocks);
    return std::max<std::int64_t>(1, (size + count - 1) / count);
}

double RandomEntropy(std::int64_t n) {
    if (n < 2) {
        return 0;
    }
    // H = log2 n - (1/n) sum over the 256 values of c log2 c, each count c binomial (n, 1/256):
    // sum its terms outward from the mode while they matter, weights relative to the mode's.
    const double q = 1.0 / 256;
    const double ratio = q / (1 - q);
    const auto mode = static_cast<std::int64_t>(static_cast<double>(n + 1) * q);
    double weights = 1;
    double sum = CountLog(static_cast<std::uint32_t>(mode));
    double w = 1;
    for (std::int64_t k = mode; k < n && w > 1e-18; ++k) {
        w *= static_cast<double>(n - k) / static_cast<double>(k + 1) * ratio;
        weights += w;
        sum += w * CountLog(static_cast<std::uint32_t>(k + 1));
    }
    w = 1;
    for (std::int64_t k = mode; k > 0 && w > 1e-18; --k) {
        w *= static_cast<double>(k) / static_cast<double>(n - k + 1) / ratio;
        weights += w;
        sum += w * CountLog(static_cast<std::uint32_t>(k - 1));
    }
    return std::log2(static_cast<double>(n)) - 256 * (sum / weights) / static_cast<double>(n);
}

Overview::Overview(std::int64_t size, std::int64_t count)
    : mSize(std::max<std::int64_t>(0, size)), mBlockSize(OverviewBlockSize(mSize, count)) {
    const auto blocks = static_cast<std::size_t>((mSize + mBlockSize - 1) / mBlockSize);
    mEntropy.assign(blocks, 0.0F);
    mClasses.assign(blocks, ByteClass::Data);
}

std::int64_t Overview::BlockLength(std::int64_t i) const {
    return std::min(mBlockSize, mSize - BlockStart(i));
}

ClassMix Overview::Mix(std::int64_t begin, std::int64_t end) const {
    ClassMix mix;
    begin = std::max<std::int64_t>(begin, 0);
    end = std::min(end, mSize);
    if (begin >= end) {
        return mix;
    }
    for (std::int64_t i = begin / mBlockSize; i <= (end - 1) / mBlockSize; ++i) {
        const std::int64_t start = BlockStart(i);
        const auto bytes =
            static_cast<double>(std::min(end, start + mBlockSize) - std::max(begin, start));
        mix.share[static_cast<int>(Class(i))] += bytes;
        mix.entropy += bytes * Entropy(i);
    }
    const auto total = static_cast<double>(end - begin);
    for (double& s : mix.share) {
        s /= total;
    }
    mix.entropy /= total;
    return mix;
}

OverviewBuilder::OverviewBuilder(std::int64_t size, std::int64_t count) : mResult(size, count) {
    const std::int64_t blocks = mResult.blockCount();
    if (blocks > 0) {
        mRandomFloor[0] = RandomEntropy(mResult.mBlockSize) - Rules::kRandomMargin;
        mRandomFloor[1] = RandomEntropy(mResult.BlockLength(blocks - 1)) - Rules::kRandomMargin;
        StartBlock();
    }
}

void OverviewBuilder::Feed(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    std::int64_t n = std::min(static_cast<std::int64_t>(bytes.size()), mResult.mSize - mPos);
    while (n > 0) {
        const std::int64_t take = std::min(n, mBlockEnd - mPos);
        Segment(p, take);
        p += take;
        n -= take;
        mPos += take;
        if (mPos == mBlockEnd) {
            EndBlock();
        }
    }
}

void OverviewBuilder::StartBlock() {
    mBlockLength = mResult.BlockLength(mBlock);
    mBlockEnd = mResult.BlockStart(mBlock) + mBlockLength;
    mUniform = true;
    mRun = 0;
    mMaybeText = true;
    mUtf8.Start();
}

// While the block is one value repeated, only how long it is is kept; the first other byte
// has that run counted and scanned as though its bytes had come one by one.
void OverviewBuilder::Segment(const std::uint8_t* p, std::int64_t n) {
    if (mUniform) {
        if (mRun == 0) {
            mFirst = p[0];
        }
        const std::int64_t same = EqualPrefix(p, n, mFirst);
        mRun += same;
        if (same == n) {
            return;
        }
        mUniform = false;
        CountRun(mRun);
        p += same;
        n -= same;
    }
    Count(p, n);
    if (mMaybeText && NeverText() > NonTextAllowed()) {
        mMaybeText = false;  // most binary data: no need to follow its UTF-8
    }
    if (mMaybeText) {
        mMaybeText = mUtf8.Scan(p, n, NonTextAllowed());
    }
}

// The block's bytes so far that no text holds, whatever comes before or after them.
std::int64_t OverviewBuilder::NeverText() const {
    std::int64_t n = 0;
    for (const std::uint8_t v : kNeverText) {
        n += mCounts[0][v] + mCounts[1][v] + mCounts[2][v] + mCounts[3][v];
    }
    return n;
}

std::int64_t OverviewBuilder::NonTextAllowed() const {
    return mBlockLength / Rules::kNonTextDivisor;
}

void OverviewBuilder::CountRun(std::int64_t n) {
    mCounts[0][mFirst] += static_cast<std::uint32_t>(n);
    std::array<std::uint8_t, 4096> fill;
    fill.fill(mFirst);
    for (std::int64_t done = 0; done < n && mMaybeText; done += std::ssize(fill)) {
        mMaybeText = mUtf8.Scan(fill.data(), std::min<std::int64_t>(std::ssize(fill), n - done),
                                NonTextAllowed());
    }
}

void OverviewBuilder::Count(const std::uint8_t* p, std::int64_t n) {
    auto& c = mCounts;
    std::int64_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        ++c[0][w & 0xFF];
        ++c[1][(w >> 8) & 0xFF];
        ++c[2][(w >> 16) & 0xFF];
        ++c[3][(w >> 24) & 0xFF];
        ++c[0][(w >> 32) & 0xFF];
        ++c[1][(w >> 40) & 0xFF];
        ++c[2][(w >> 48) & 0xFF];
        ++c[3][w >> 56];
    }
    for (; i < n; ++i) {
        ++c[0][p[i]];
    }
}

void OverviewBuilder::EndBlock() {
    const std::int64_t n = mBlockLength;
    const auto index = static_cast<std::size_t>(mBlock);
    if (mUniform) {
        mResult.mEntropy[index] = 0;
        mResult.mClasses[index] = mFirst == 0 ? ByteClass::Zero : ByteClass::Uniform;
    } else {
        double sum = 0;
        std::int64_t controls = 0;
        for (int v = 0; v < 256; ++v) {  // emptying the counts for the next block as it goes
            const std::uint32_t c = mCounts[0][v] + mCounts[1][v] + mCounts[2][v] + mCounts[3][v];
            mCounts[0][v] = mCounts[1][v] = mCounts[2][v] = mCounts[3][v] = 0;
            sum += CountLog(c);
            controls += IsControl(v) ? c : 0;
        }
        const double entropy = std::log2(static_cast<double>(n)) - sum / static_cast<double>(n);
        const double floor = mRandomFloor[mBlock + 1 == mResult.blockCount() ? 1 : 0];
        ByteClass kind = ByteClass::Data;
        if (mMaybeText && (controls + mUtf8.invalid()) * Rules::kNonTextDivisor <= n) {
            kind = ByteClass::Text;
        } else if (n >= Rules::kRandomMinBlock && entropy >= floor) {
            kind = ByteClass::Random;
        }
        mResult.mEntropy[index] = static_cast<float>(std::max(0.0, entropy));
        mResult.mClasses[index] = kind;
    }
    if (++mBlock < mResult.blockCount()) {
        StartBlock();
    }
}

Overview ComputeOverview(std::span<const std::uint8_t> data, std::int64_t count) {
    OverviewBuilder builder(std::ssize(data), count);
    builder.Feed(data);
    return builder.Take();
}

Result<Overview> ComputeOverview(ByteSource& source, std::int64_t count) {
    constexpr std::int64_t kPiece = std::int64_t{16} << 20;
    OverviewBuilder builder(source.size(), count);
    std::vector<std::uint8_t> buffer;
    for (std::int64_t pos = 0; pos < source.size(); pos += kPiece) {
        const auto n = static_cast<std::size_t>(std::min(kPiece, source.size() - pos));
        if (!source.Lend(pos, n, buffer,
                         [&builder](std::span<const std::uint8_t> s) { builder.Feed(s); })) {
            return Outcome::Unreadable(source.result());
        }
    }
    return builder.Take();
}

std::int64_t StripBlockCount(std::int64_t size) {
    const std::int64_t smallest = Rules::kRandomMinBlock;
    return std::min(kMaxOverviewBlocks, (size + smallest - 1) / smallest);
}

}  // namespace rastel::core
