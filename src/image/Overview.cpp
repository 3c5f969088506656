#include "image/Overview.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rastel::modBITMAPinfo {

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
    : size_(std::max<std::int64_t>(0, size)), blockSize_(OverviewBlockSize(size_, count)) {
    const auto blocks = static_cast<std::size_t>((size_ + blockSize_ - 1) / blockSize_);
    entropy_.assign(blocks, 0.0F);
    classes_.assign(blocks, ByteClass::Data);
}

std::int64_t Overview::BlockLength(std::int64_t i) const {
    return std::min(blockSize_, size_ - BlockStart(i));
}

ClassMix Overview::Mix(std::int64_t begin, std::int64_t end) const {
    ClassMix mix;
    begin = std::max<std::int64_t>(begin, 0);
    end = std::min(end, size_);
    if (begin >= end) {
        return mix;
    }
    for (std::int64_t i = begin / blockSize_; i <= (end - 1) / blockSize_; ++i) {
        const std::int64_t start = BlockStart(i);
        const auto bytes =
            static_cast<double>(std::min(end, start + blockSize_) - std::max(begin, start));
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

OverviewBuilder::OverviewBuilder(std::int64_t size, std::int64_t count) : result_(size, count) {
    const std::int64_t blocks = result_.blockCount();
    if (blocks > 0) {
        randomFloor_[0] = RandomEntropy(result_.blockSize_) - Rules::kRandomMargin;
        randomFloor_[1] = RandomEntropy(result_.BlockLength(blocks - 1)) - Rules::kRandomMargin;
        StartBlock();
    }
}

void OverviewBuilder::Feed(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    std::int64_t n = std::min(static_cast<std::int64_t>(bytes.size()), result_.size_ - pos_);
    while (n > 0) {
        const std::int64_t take = std::min(n, blockEnd_ - pos_);
        Segment(p, take);
        p += take;
        n -= take;
        pos_ += take;
        if (pos_ == blockEnd_) {
            EndBlock();
        }
    }
}

void OverviewBuilder::StartBlock() {
    blockLength_ = result_.BlockLength(block_);
    blockEnd_ = result_.BlockStart(block_) + blockLength_;
    uniform_ = true;
    run_ = 0;
    maybeText_ = true;
    badHigh_ = 0;
    need_ = pending_ = 0;
    low_ = 0x80;
    high_ = 0xBF;
    orphans_ = 3;
}

// While the block is one value repeated, only how long it is is kept; the first other byte
// has that run counted and scanned as though its bytes had come one by one.
void OverviewBuilder::Segment(const std::uint8_t* p, std::int64_t n) {
    if (uniform_) {
        if (run_ == 0) {
            first_ = p[0];
        }
        const std::int64_t same = EqualPrefix(p, n, first_);
        run_ += same;
        if (same == n) {
            return;
        }
        uniform_ = false;
        CountRun(run_);
        p += same;
        n -= same;
    }
    Count(p, n);
    if (maybeText_ && NeverText() > blockLength_ / Rules::kNonTextDivisor) {
        maybeText_ = false;  // most binary data: no need to follow its UTF-8
    }
    if (maybeText_) {
        Scan(p, n);
    }
}

// The block's bytes so far that no text holds, whatever comes before or after them.
std::int64_t OverviewBuilder::NeverText() const {
    std::int64_t n = 0;
    for (const std::uint8_t v : kNeverText) {
        n += counts_[0][v] + counts_[1][v] + counts_[2][v] + counts_[3][v];
    }
    return n;
}

void OverviewBuilder::CountRun(std::int64_t n) {
    counts_[0][first_] += static_cast<std::uint32_t>(n);
    std::array<std::uint8_t, 4096> fill;
    fill.fill(first_);
    for (std::int64_t done = 0; done < n && maybeText_; done += std::ssize(fill)) {
        Scan(fill.data(), std::min<std::int64_t>(std::ssize(fill), n - done));
    }
}

void OverviewBuilder::Count(const std::uint8_t* p, std::int64_t n) {
    auto& c = counts_;
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

// Follows UTF-8 sequences through bytes from 0x80 on and counts those outside valid ones;
// bytes below 0x80 are judged from the histogram. A block may start inside a sequence that
// began before it and end inside one it cannot finish: those bytes count as text. Stops once
// the block can no longer be text.
void OverviewBuilder::Scan(const std::uint8_t* p, std::int64_t n) {
    const std::int64_t allowed = blockLength_ / Rules::kNonTextDivisor;
    std::int64_t i = 0;
    while (i < n) {
        if (need_ == 0) {
            const std::int64_t from = i;
            for (std::uint64_t w; i + 8 <= n; i += 8) {
                std::memcpy(&w, p + i, 8);
                if ((w & 0x8080808080808080ULL) != 0) {
                    break;
                }
            }
            orphans_ = i > from ? 0 : orphans_;
            if (i == n) {
                break;
            }
        }
        const std::uint8_t c = p[i];
        if (need_ == 0 && c >= 0xC2 && c <= 0xF4 && i + 4 <= n) {  // a whole sequence at once
            const int length = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            const std::uint8_t low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
            const std::uint8_t high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
            if (p[i + 1] >= low && p[i + 1] <= high && (length < 3 || (p[i + 2] & 0xC0) == 0x80) &&
                (length < 4 || (p[i + 3] & 0xC0) == 0x80)) {
                i += length;
                orphans_ = 0;
                continue;
            }
        }
        ++i;
        if (need_ > 0) {
            if (c >= low_ && c <= high_) {
                low_ = 0x80;
                high_ = 0xBF;
                --need_;
                pending_ = need_ == 0 ? 0 : pending_ + 1;
                continue;
            }
            badHigh_ += pending_;  // the sequence broke off: none of it is text
            need_ = pending_ = 0;
            low_ = 0x80;
            high_ = 0xBF;
        }
        if (c < 0x80) {
            orphans_ = 0;
            continue;
        }
        if (c < 0xC0 && orphans_ > 0) {
            --orphans_;
            continue;
        }
        orphans_ = 0;
        if (c < 0xC2 || c > 0xF4) {
            ++badHigh_;
        } else {
            need_ = c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
            pending_ = 1;
            // No overlong forms, no surrogates, nothing beyond U+10FFFF.
            low_ = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
            high_ = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        }
        if (badHigh_ > allowed) {
            maybeText_ = false;
            return;
        }
    }
}

void OverviewBuilder::EndBlock() {
    const std::int64_t n = blockLength_;
    const auto index = static_cast<std::size_t>(block_);
    if (uniform_) {
        result_.entropy_[index] = 0;
        result_.classes_[index] = first_ == 0 ? ByteClass::Zero : ByteClass::Uniform;
    } else {
        double sum = 0;
        std::int64_t controls = 0;
        for (int v = 0; v < 256; ++v) {  // emptying the counts for the next block as it goes
            const std::uint32_t c = counts_[0][v] + counts_[1][v] + counts_[2][v] + counts_[3][v];
            counts_[0][v] = counts_[1][v] = counts_[2][v] = counts_[3][v] = 0;
            sum += CountLog(c);
            controls += IsControl(v) ? c : 0;
        }
        const double entropy = std::log2(static_cast<double>(n)) - sum / static_cast<double>(n);
        const double floor = randomFloor_[block_ + 1 == result_.blockCount() ? 1 : 0];
        ByteClass kind = ByteClass::Data;
        if (maybeText_ && (controls + badHigh_) * Rules::kNonTextDivisor <= n) {
            kind = ByteClass::Text;
        } else if (n >= Rules::kRandomMinBlock && entropy >= floor) {
            kind = ByteClass::Random;
        }
        result_.entropy_[index] = static_cast<float>(std::max(0.0, entropy));
        result_.classes_[index] = kind;
    }
    if (++block_ < result_.blockCount()) {
        StartBlock();
    }
}

Overview ComputeOverview(std::span<const std::uint8_t> data, std::int64_t count) {
    OverviewBuilder builder(std::ssize(data), count);
    builder.Feed(data);
    return builder.Take();
}

std::optional<Overview> ComputeOverview(ByteSource& source, std::int64_t count) {
    constexpr std::int64_t kPiece = std::int64_t{16} << 20;
    OverviewBuilder builder(source.size(), count);
    std::vector<std::uint8_t> buffer;
    for (std::int64_t pos = 0; pos < source.size(); pos += kPiece) {
        const auto n = static_cast<std::size_t>(std::min(kPiece, source.size() - pos));
        if (!source.Lend(pos, n, buffer,
                         [&builder](std::span<const std::uint8_t> s) { builder.Feed(s); })) {
            return std::nullopt;
        }
    }
    return builder.Take();
}

ByteRange StripRowBytes(std::int64_t size, std::int64_t rows, std::int64_t row) {
    const std::int64_t begin = std::min(row * size / rows, std::max<std::int64_t>(size - 1, 0));
    const std::int64_t end = std::max((row + 1) * size / rows, begin + 1);
    return {begin, std::min(end, size)};
}

std::int64_t StripRowOf(std::int64_t size, std::int64_t rows, std::int64_t pos) {
    std::int64_t row =
        std::clamp<std::int64_t>(pos * rows / std::max<std::int64_t>(size, 1), 0, rows - 1);
    while (row + 1 < rows && StripRowBytes(size, rows, row).end <= pos) {
        ++row;
    }
    return row;
}

}  // namespace rastel::modBITMAPinfo
