#include "image/WidthHints.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "image/PixelDecoder.h"

namespace rastel::core {

using namespace modBITMAPinfo;

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
// The element is found from kProbes runs of kProbe pixels spread over each block, at its
// first kCombTeeth multiples: pixels there no farther apart than kComb times those between
// them, or places in it whose spreads differ kDistinct times.
constexpr std::size_t kProbes = 4;
constexpr std::size_t kProbe = 1024;
constexpr std::int64_t kCombTeeth = 8;
constexpr double kComb = 0.8;
constexpr double kDistinct = 4;
// Places in the element are weighed when one of them is at least kAlike alike from one
// element to the next; a place of noise keeps kNoiseWeight.
constexpr double kAlike = 0.5;
constexpr double kNoiseWeight = 0.05;
// Widths this many elements either side of a row are looked at for the row seen slanted.
constexpr std::int64_t kSlant = 3;

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

// dist[w], w = 1 .. maxLag and on as far as the transform reaches without wrapping round
// (checks of multiples look there): the mean squared difference of pixels w apart within
// the blocks. The sums of products of all distances at once come from the transform: two
// blocks at a time, as the real and imaginary parts of one input.
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

    maxLag = std::max<std::int64_t>(maxLag,
                                    std::min<std::int64_t>(static_cast<std::int64_t>(n - longest),
                                                           static_cast<std::int64_t>(longest) - 1));
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

struct Element {
    std::int64_t pixels = 1;
    int bytes = 1;
    double score = 0;
};

// The mean of dist at the lags up to reach that are multiples of every and none of others;
// 0 when there is none.
double MeanAt(const std::vector<double>& dist, std::int64_t reach, std::int64_t every,
              std::int64_t none) {
    double sum = 0;
    int terms = 0;
    for (std::int64_t lag = every; lag <= reach; lag += every) {
        if (none == 0 || lag % none != 0) {
            sum += dist[static_cast<std::size_t>(lag)];
            ++terms;
        }
    }
    return terms == 0 ? 0 : sum / terms;
}

// The runs [first, last) of a block of size pixels that the element is found from.
template <typename F>
void ForProbes(std::size_t size, F f) {
    for (std::size_t j = 0; j < kProbes; ++j) {
        const std::size_t first = size * j / kProbes;
        f(first, std::min(size, first + kProbe));
    }
}

// Distances at the short lags the element is found from, straight from the probes: every lag up to
// kCombTeeth pixels of a byte, and every byte up to kCombTeeth of the longest element. Other lags
// are left at 0.
std::vector<double> ShortDistances(const std::vector<std::vector<double>>& blocks,
                                   std::int64_t ppb) {
    std::vector<double> dist(static_cast<std::size_t>(kCombTeeth * 16 * ppb) + 1, 0.0);
    for (std::size_t lag = 1; lag < dist.size(); ++lag) {
        if (lag > static_cast<std::size_t>(kCombTeeth * ppb) && lag % ppb != 0) {
            continue;
        }
        double sum = 0;
        std::size_t pairs = 0;
        for (const auto& b : blocks) {
            ForProbes(b.size(), [&](std::size_t first, std::size_t last) {
                for (std::size_t i = first; i + lag < last; ++i) {
                    const double d = b[i] - b[i + lag];
                    sum += d * d;
                }
                pairs += last - first > lag ? last - first - lag : 0;
            });
        }
        dist[lag] = pairs > 0 ? sum / static_cast<double>(pairs) : 0;
    }
    return dist;
}

// The spread of the pixels at each place in an element of the given pixels, as the file
// counts them, over the probes.
std::vector<double> PlaceSpreads(const std::vector<std::vector<double>>& blocks,
                                 const std::vector<Block>& placed, std::int64_t element) {
    const auto e = static_cast<std::size_t>(element);
    std::vector<double> count(e), sum(e), squares(e);
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const auto first = static_cast<std::size_t>(placed[k].start % element);
        ForProbes(blocks[k].size(), [&](std::size_t from, std::size_t last) {
            for (std::size_t i = from; i < last; ++i) {
                const std::size_t p = (first + i) % e;
                count[p] += 1;
                sum[p] += blocks[k][i];
                squares[p] += blocks[k][i] * blocks[k][i];
            }
        });
    }
    for (std::size_t p = 0; p < e; ++p) {
        const double mean = count[p] > 0 ? sum[p] / count[p] : 0;
        squares[p] = count[p] > 0 ? std::max(0.0, squares[p] / count[p] - mean * mean) : 0;
    }
    return squares;
}

// The values or pixels the data is made of, from the comb they leave in the distances:
// pixels a whole number of elements apart are alike at the same place in their elements.
// An element is taken when pixels at its multiples are clearly closer than those at the
// multiples of each element it is made of.
Element FindElement(const std::vector<std::vector<double>>& blocks,
                    const std::vector<Block>& placed, std::int64_t ppb) {
    const std::vector<double> dist = ShortDistances(blocks, ppb);
    struct Size {
        int bytes;
        int parts[2];
    };
    // Each size with the largest sizes it is made of; 0 for a single pixel.
    static constexpr Size kSizes[] = {{1, {0, 0}}, {2, {1, 1}}, {3, {1, 1}}, {4, {2, 2}},
                                      {6, {2, 3}}, {8, {4, 4}}, {16, {8, 8}}};
    Element found;
    for (const Size& size : kSizes) {
        const std::int64_t pixels = size.bytes * ppb;
        const std::int64_t reach = pixels * kCombTeeth;
        if (pixels == 1 || reach >= static_cast<std::int64_t>(dist.size())) {
            continue;
        }
        const double on = MeanAt(dist, reach, pixels, 0);
        // Each part must fall short on its own: pixels at the element's multiples clearly
        // closer than at the part's, or the places differ in spread where the part would
        // have them alike (the high and low bytes of samples).
        const std::vector<double> spread = PlaceSpreads(blocks, placed, pixels);
        double ratio = 0;
        bool taken = true;
        for (const int part : size.parts) {
            const std::int64_t shift = part == 0 ? 1 : part * ppb;
            const double off = MeanAt(dist, reach, shift, pixels);
            const double r = off > 0 ? on / off : 1.0;
            bool distinct = false;
            for (std::int64_t p = 0; p < pixels; ++p) {
                const double a = spread[static_cast<std::size_t>(p)];
                const double b = spread[static_cast<std::size_t>((p + shift) % pixels)];
                distinct = distinct || a > kDistinct * b + 1e-9;
            }
            ratio = std::max(ratio, r);
            taken = taken && (r < kComb || distinct);
        }
        if (taken) {
            found = {pixels, size.bytes, std::max(0.0, 1 - ratio)};
        }
    }
    return found;
}

// Weighs the pixels by their place in the element, as the file counts it: each place's
// values around their own mean, scaled to the same spread, and by how much alike
// neighbouring elements are there. The low bytes of samples are mostly noise, which would
// drown the rows the high bytes show.
void WeighPlaces(std::vector<std::vector<double>>& blocks, const std::vector<Block>& placed,
                 std::int64_t element) {
    const auto e = static_cast<std::size_t>(element);
    std::vector<double> count(e), sum(e), squares(e), steps(e), weight(e), mean(e);
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const auto& b = blocks[k];
        const auto first = static_cast<std::size_t>(placed[k].start % element);
        for (std::size_t i = 0; i < b.size(); ++i) {
            const std::size_t place = (first + i) % e;
            count[place] += 1;
            sum[place] += b[i];
            squares[place] += b[i] * b[i];
            if (i + e < b.size()) {
                steps[place] += (b[i + e] - b[i]) * (b[i + e] - b[i]);
            }
        }
    }
    std::vector<double> spread(e), alike(e);
    double widest = 0;
    double best = 0;
    for (std::size_t p = 0; p < e; ++p) {
        if (count[p] < 2) {
            return;
        }
        mean[p] = sum[p] / count[p];
        spread[p] = std::max(0.0, squares[p] / count[p] - mean[p] * mean[p]);
        alike[p] = spread[p] > 0 ? std::max(0.0, 1 - steps[p] / count[p] / (2 * spread[p])) : 0;
        widest = std::max(widest, spread[p]);
        best = std::max(best, alike[p]);
    }
    // Records are alike at the row, not from one element to the next: left as they are.
    if (best < kAlike) {
        return;
    }
    for (std::size_t p = 0; p < e; ++p) {
        weight[p] = std::sqrt((alike[p] + kNoiseWeight) / std::max(spread[p], widest * 1e-3));
    }
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const auto first = static_cast<std::size_t>(placed[k].start % element);
        auto& b = blocks[k];
        for (std::size_t i = 0; i < b.size(); ++i) {
            const std::size_t place = (first + i) % e;
            b[i] = (b[i] - mean[place]) * weight[place];
        }
    }
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
    const std::int64_t ppb = PixelsPerByte(depth);
    const Element element = FindElement(blocks, placed, ppb);
    if (element.pixels > 1) {
        WeighPlaces(blocks, placed, element.pixels);
    }
    const std::int64_t longest = placed.empty() ? 0 : placed.front().length;
    const std::int64_t maxLag = std::min({kMaxWidth, longest / 3, total / kMinRows});
    if (maxLag <= kMinWidth) {
        return result;
    }
    const std::vector<double> dist = Distances(blocks, maxLag);
    const std::int64_t reach = static_cast<std::int64_t>(dist.size()) - 1;
    const std::int64_t step = element.pixels;
    // aligned[k]: the sum of dist at the multiples of the element below k elements.
    std::vector<double> aligned(static_cast<std::size_t>(reach / step) + 2, 0.0);
    for (std::size_t k = 1; k < aligned.size(); ++k) {
        const std::size_t lag = (k - 1) * static_cast<std::size_t>(step);
        aligned[k] =
            aligned[k - 1] + (lag >= 1 && lag <= static_cast<std::size_t>(reach) ? dist[lag] : 0);
    }
    auto pairsAt = [&blocks](std::int64_t w) {
        double pairs = 0;
        for (const auto& b : blocks) {
            pairs += std::max<double>(0, static_cast<double>(b.size()) - static_cast<double>(w));
        }
        return pairs;
    };

    // Candidates: distances closer than those one element either side, scored against the
    // mean distance at the multiples of the element from half to one and a half times
    // themselves: pixels at the same place in their elements, as a row's are. Scores within
    // the sample's noise are not candidates.
    auto scoreAt = [&](std::int64_t w) {
        const std::int64_t lo = std::max<std::int64_t>(1, (w - w / 2 + step - 1) / step);
        const std::int64_t hi = std::min(reach, w + w / 2) / step;
        const double around =
            hi < lo ? 0 : (aligned[hi + 1] - aligned[lo]) / static_cast<double>(hi - lo + 1);
        return around > 0 ? 1 - dist[w] / around : 0.0;
    };
    // Slanted content makes a width an element or two off the row look best, but the row
    // repeats exactly at its multiples where the slant drifts away: of the widths a few
    // elements either side, the one closest at twice and three times itself.
    auto straighten = [&](std::int64_t w) {
        const std::int64_t far = w + kSlant * step;
        if (2 * far > reach) {
            return w;
        }
        auto drift = [&](std::int64_t v) {
            double sum = 0;
            for (std::int64_t m = 2; m <= 3 && m * far <= reach; ++m) {
                sum += dist[static_cast<std::size_t>(m * v)];
            }
            return sum;
        };
        std::int64_t best = w;
        for (std::int64_t v = std::max(w - kSlant * step, step + 1); v <= far && v < maxLag;
             v += step) {
            if (drift(v) < drift(best) && scoreAt(v) >= scoreAt(w) / 2) {
                best = v;
            }
        }
        return best;
    };
    std::vector<WidthCandidate> found;
    std::vector<double> scoreOf(dist.size(), 0.0);
    for (std::int64_t w = std::max(kMinWidth, step + 1); w < maxLag && w + step <= reach; ++w) {
        if (dist[w] >= dist[w + step] || (w > step && dist[w] > dist[w - step])) {
            continue;
        }
        const double score = scoreAt(w);
        if (score >= std::max(0.02, 4 * std::sqrt(2 / pairsAt(w)))) {
            found.push_back({w, score, element.bytes, element.pixels});
            scoreOf[w] = score;
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.score > b.score; });
    if (found.size() > kExamined) {
        found.resize(kExamined);
    }
    // A byte's pixels are a unit of their own at 16 and 2 colours, whether or not the
    // distances single it out. Rows are straightened in the lattice of an element found; a
    // single pixel's lattice is left to the nearness rule below.
    for (WidthCandidate c : found) {
        if (const std::int64_t w = step > 1 ? straighten(c.width) : c.width; w != c.width) {
            c = {w, scoreAt(w), element.bytes, element.pixels};
            scoreOf[w] = std::max(scoreOf[w], c.score);
        }
        bool multiple = std::any_of(result.begin(), result.end(),
                                    [&c](const auto& kept) { return kept.width == c.width; });
        multiple =
            multiple || (c.width % ppb == 0 && c.width > ppb && MereMultiple(dist, c.width, ppb));
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
    // The element itself, after any longer row.
    if (element.bytes > 1 && element.score >= 0.02 && static_cast<int>(result.size()) < count) {
        result.push_back({step, element.score, element.bytes, element.pixels});
    }
    return result;
}

}  // namespace rastel::core
