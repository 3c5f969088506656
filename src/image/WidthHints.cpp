#include "image/WidthHints.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "image/PixelDecoder.h"

namespace rastel::modBITMAPinfo {

namespace {

// The sample: up to kBlocks blocks of kBlock pixels, spread evenly over the file. Widths stay
// below kMaxWidth, so that a block and a width fit a transform of kTransform points, and
// are seen at least kMinRows times in the sample and 3 times in each block.
constexpr std::int64_t kTransform = std::int64_t{1} << 16;
constexpr std::int64_t kBlock = 3 * kTransform / 4;
constexpr std::int64_t kMaxWidth = kTransform - kBlock - 1;
constexpr int kBlocks = 16;
constexpr std::int64_t kMinRows = 16;
// Block starts keep the orders' groups of 4 bytes whole (4 bytes hold 32 pixels at most).
constexpr std::int64_t kAlign = 32;
constexpr std::int64_t kMinWidth = 2;
// Widths whose pixels are no closer than this beside those of a smaller candidate's
// multiples add nothing to it.
constexpr double kOwnDip = 0.15;
// Below this many bytes a repeating unit is taken for the bytes of one pixel or value, which
// rows are made of, rather than for a row.
constexpr std::int64_t kMinRowBytes = 16;
constexpr double kNearly = 0.9;
// Candidates looked at for multiples: far more than are shown.
constexpr std::size_t kExamined = 256;

using Complex = std::complex<double>;

struct Block {
    std::int64_t start;
    std::int64_t length;
};

std::vector<Block> PlaceBlocks(std::int64_t pixels) {
    std::vector<Block> blocks;
    if (pixels <= kBlock * kBlocks) {
        for (std::int64_t s = 0; s < pixels; s += kBlock) {
            blocks.push_back({s, std::min(kBlock, pixels - s)});
        }
        return blocks;
    }
    for (int i = 0; i < kBlocks; ++i) {
        const std::int64_t s = (pixels - kBlock) / (kBlocks - 1) * i;
        blocks.push_back({s / kAlign * kAlign, kBlock});
    }
    return blocks;
}

// The block's pixels, decoded from its bytes plus a few beyond, so that pixels near its end
// find the bytes their order takes them from.
bool ReadBlock(ByteSource& source, std::int32_t depth, std::int32_t order, const Block& b,
               std::uint8_t* out) {
    const std::int64_t ppb = PixelsPerByte(depth);
    const std::int64_t first = b.start / ppb;
    const std::int64_t end = std::min(source.size(), (b.start + b.length + ppb - 1) / ppb + 4);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(end - first));
    if (!source.Read(first, bytes.size(), bytes.data())) {
        return false;
    }
    DecodeRun(depth, order, bytes, b.start - first * ppb, b.length, out);
    return true;
}

// The turns of every stage of a transform of length n, one stage after the other: stage
// len (2, 4, .. n) holds exp(-2 pi i k / len), k < len / 2, from index len / 2 - 1 on.
std::vector<Complex> Turns(std::size_t n) {
    std::vector<Complex> turns;
    for (std::size_t len = 2; len <= n; len <<= 1) {
        for (std::size_t k = 0; k < len / 2; ++k) {
            turns.push_back(std::polar(
                1.0, -2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(len)));
        }
    }
    return turns;
}

// In-place radix-2 transform of a power-of-two length; the inverse is left unscaled.
void Fft(std::vector<Complex>& a, const std::vector<Complex>& turns, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const Complex* stage = turns.data() + len / 2 - 1;
        for (std::size_t i = 0; i < n; i += len) {
            Complex* lo = a.data() + i;
            Complex* hi = lo + len / 2;
            for (std::size_t k = 0; k < len / 2; ++k) {
                const double tr = stage[k].real();
                const double ti = inverse ? -stage[k].imag() : stage[k].imag();
                // Written out: the library's product also handles infinities, at a cost.
                const Complex v(hi[k].real() * tr - hi[k].imag() * ti,
                                hi[k].real() * ti + hi[k].imag() * tr);
                hi[k] = lo[k] - v;
                lo[k] += v;
            }
        }
    }
}

// dist[w], w = 1 .. maxLag: the mean squared difference of pixels w apart within the
// blocks. The sums of products of all distances at once come from the transform: two blocks
// at a time, as the real and imaginary parts of one input.
std::vector<double> Distances(const std::vector<std::vector<double>>& blocks, std::int64_t maxLag) {
    std::size_t longest = 0;
    for (const auto& b : blocks) {
        longest = std::max(longest, b.size());
    }
    std::size_t n = 1;
    while (n < longest + static_cast<std::size_t>(maxLag) + 1) {
        n <<= 1;
    }
    const std::vector<Complex> turns = Turns(n);
    std::vector<double> power(n, 0.0);
    std::vector<Complex> z(n);
    for (std::size_t i = 0; i < blocks.size(); i += 2) {
        std::fill(z.begin(), z.end(), Complex{});
        for (std::size_t k = 0; k < blocks[i].size(); ++k) {
            z[k].real(blocks[i][k]);
        }
        if (i + 1 < blocks.size()) {
            for (std::size_t k = 0; k < blocks[i + 1].size(); ++k) {
                z[k].imag(blocks[i + 1][k]);
            }
        }
        Fft(z, turns, false);
        for (std::size_t k = 0; k < n; ++k) {
            power[k] += (std::norm(z[k]) + std::norm(z[(n - k) % n])) / 2;
        }
    }
    for (std::size_t k = 0; k < n; ++k) {
        z[k] = power[k];
    }
    Fft(z, turns, true);

    std::vector<double> dist(static_cast<std::size_t>(maxLag) + 1, 0.0);
    for (const auto& b : blocks) {
        std::vector<double> squares(b.size() + 1, 0.0);  // squares[j]: sum over i < j
        for (std::size_t i = 0; i < b.size(); ++i) {
            squares[i + 1] = squares[i] + b[i] * b[i];
        }
        for (std::int64_t w = 1; w <= maxLag && static_cast<std::size_t>(w) < b.size(); ++w) {
            const std::size_t pairs = b.size() - static_cast<std::size_t>(w);
            dist[w] += squares[pairs] + (squares[b.size()] - squares[w]);
        }
    }
    for (std::int64_t w = 1; w <= maxLag; ++w) {
        double pairs = 0;
        for (const auto& b : blocks) {
            pairs += std::max<double>(0, static_cast<double>(b.size()) - static_cast<double>(w));
        }
        const double products = z[static_cast<std::size_t>(w)].real() / static_cast<double>(n);
        dist[w] = std::max(0.0, (dist[w] - 2 * products) / pairs);
    }
    return dist;
}

// Whether w is only a multiple of d: pixels w apart are not clearly closer than pixels at
// the multiples of d below w, as they would be if w were a row of its own made of units d.
bool MereMultiple(const std::vector<double>& dist, std::int64_t w, std::int64_t d) {
    const std::int64_t k0 = (w / 2 + d - 1) / d;
    const std::int64_t k1 = w / d - 1;
    const std::int64_t step = std::max<std::int64_t>(1, (k1 - k0) / 32);
    double sum = 0;
    int terms = 0;
    for (std::int64_t k = k0; k <= k1; k += step, ++terms) {
        sum += dist[static_cast<std::size_t>(k * d)];
    }
    return terms == 0 || sum <= 0 || 1 - dist[static_cast<std::size_t>(w)] * terms / sum < kOwnDip;
}

}  // namespace

std::optional<std::vector<WidthCandidate>> SuggestWidths(ByteSource& source, std::int32_t depth,
                                                         std::int32_t order, int count) {
    std::vector<WidthCandidate> result;
    if (PixelsPerByte(depth) == 0 || order < 0 || order >= OrderCount(depth) || count < 1) {
        return result;
    }
    const std::vector<Block> placed = PlaceBlocks(source.size() * PixelsPerByte(depth));
    std::vector<std::vector<double>> blocks;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kBlock));
    double sum = 0;
    std::int64_t total = 0;
    for (const Block& b : placed) {
        if (!ReadBlock(source, depth, order, b, pixels.data())) {
            return std::nullopt;
        }
        blocks.emplace_back(pixels.begin(), pixels.begin() + b.length);
        for (std::int64_t i = 0; i < b.length; ++i) {
            sum += pixels[static_cast<std::size_t>(i)];
        }
        total += b.length;
    }
    // Differences do not change when every pixel moves by the mean, and the transform keeps
    // its precision better around 0.
    for (auto& b : blocks) {
        for (double& v : b) {
            v -= sum / static_cast<double>(total);
        }
    }
    const std::int64_t longest = placed.empty() ? 0 : placed.front().length;
    const std::int64_t maxLag = std::min({kMaxWidth, longest / 3, total / kMinRows});
    if (maxLag <= kMinWidth) {
        return result;
    }
    const std::vector<double> dist = Distances(blocks, maxLag);
    std::vector<double> running(dist.size() + 1, 0.0);  // running[w]: sum of dist below w
    for (std::size_t w = 0; w < dist.size(); ++w) {
        running[w + 1] = running[w] + dist[w];
    }

    // Candidates: distances closer than both neighbours, scored against the mean distance
    // from half to one and a half times themselves. Scores within the sample's noise are not
    // candidates.
    std::vector<WidthCandidate> found;
    std::vector<double> scoreOf(dist.size(), 0.0);
    for (std::int64_t w = kMinWidth; w < maxLag; ++w) {
        if (dist[w] > dist[w - 1] || dist[w] >= dist[w + 1]) {
            continue;
        }
        const std::int64_t lo = std::max<std::int64_t>(1, w - w / 2);
        const std::int64_t hi = std::min(maxLag, w + w / 2);
        const double around = (running[hi + 1] - running[lo]) / static_cast<double>(hi - lo + 1);
        if (around <= 0) {
            continue;
        }
        double pairs = 0;
        for (const auto& b : blocks) {
            pairs += std::max<double>(0, static_cast<double>(b.size()) - static_cast<double>(w));
        }
        const double score = 1 - dist[w] / around;
        if (score >= std::max(0.02, 4 * std::sqrt(2 / pairs))) {
            found.push_back({w, score});
            scoreOf[w] = score;
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.score > b.score; });
    if (found.size() > kExamined) {
        found.resize(kExamined);
    }
    // A byte's pixels are a unit of their own at 16 and 2 colours, whether or not the
    // distances single it out.
    const std::int64_t ppb = PixelsPerByte(depth);
    for (const WidthCandidate& c : found) {
        bool multiple = c.width % ppb == 0 && c.width > ppb && MereMultiple(dist, c.width, ppb);
        for (std::int64_t k = 2; k * k <= c.width && !multiple; ++k) {
            if (c.width % k != 0) {
                continue;
            }
            for (const std::int64_t d : {c.width / k, k}) {
                // A row that scores nearly as well is the one to show: its multiples repeat
                // it, or a field of it that counts up.
                const bool row = d >= kMinRowBytes * ppb && scoreOf[d] >= kNearly * c.score;
                multiple = multiple || (d >= kMinWidth && scoreOf[d] > 0 &&
                                        (row || MereMultiple(dist, c.width, d)));
            }
        }
        // Near a better width or its multiple: the same rows seen slanted.
        for (const WidthCandidate& kept : result) {
            const std::int64_t k = (c.width + kept.width / 2) / kept.width;
            const std::int64_t off = c.width - k * kept.width;
            multiple = multiple || (k >= 1 && off != 0 && std::abs(off) <= kept.width / 10);
        }
        if (!multiple) {
            result.push_back(c);
            if (static_cast<int>(result.size()) == count) {
                break;
            }
        }
    }
    return result;
}

}  // namespace rastel::modBITMAPinfo
