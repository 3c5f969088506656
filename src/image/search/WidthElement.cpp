#include "image/search/WidthElement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace rastel::core::widths {

namespace {

struct ElementSize {
    int bytes;
    int parts[2];
};
// Each size with the largest sizes it is made of; 0 for a single pixel.
constexpr ElementSize kSizes[] = {{1, {0, 0}}, {2, {1, 1}}, {3, {1, 1}}, {4, {2, 2}},
                                  {6, {2, 3}}, {8, {4, 4}}, {16, {8, 8}}};
constexpr std::int64_t kLongestElement = kSizes[std::size(kSizes) - 1].bytes;
// Bytes that every element size above divides.
constexpr std::int64_t kResidues = 48;
static_assert(kResidues % 16 == 0 && kResidues % 3 == 0);
// The element is found from kProbes runs of kProbe pixels spread over each block, at its
// first kCombTeeth multiples: pixels there no farther apart than kComb times those between
// them, or places in it whose spreads differ kDistinct times.
constexpr std::size_t kProbes = 4;
constexpr std::size_t kProbe = 1024;
constexpr std::int64_t kCombTeeth = 8;
constexpr double kComb = 0.8;
constexpr double kDistinct = 4;
// Spreads closer than this are the same: two places without any are not distinct.
constexpr double kSameSpread = 1e-9;
// Places in the element are weighed when one of them is at least kAlike alike from one
// element to the next; a place of noise keeps kNoiseWeight.
constexpr double kAlike = 0.5;
constexpr double kNoiseWeight = 0.05;
// A place of almost constant values is scaled up as though its spread were this share of
// the widest place's, not without bound.
constexpr double kQuietShare = 1e-3;

// The place after p in an element of e pixels.
std::size_t Next(std::size_t p, std::size_t e) {
    return p + 1 == e ? 0 : p + 1;
}

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

// The step at which FindElement looks for an element of a size's pixels, or for one of its
// parts: a part of 0 is a single pixel.
std::int64_t Shift(int part, std::int64_t ppb) {
    return part == 0 ? 1 : part * ppb;
}

// Whether FindElement looks at the distance at lag: a multiple of an element or of one of
// its parts, within the element's first kCombTeeth multiples.
bool Looked(std::int64_t lag, std::int64_t ppb) {
    for (const ElementSize& size : kSizes) {
        const std::int64_t pixels = size.bytes * ppb;
        if (pixels == 1 || lag > pixels * kCombTeeth) {
            continue;
        }
        // The element's own multiples are its parts' too.
        if (lag % Shift(size.parts[0], ppb) == 0 || lag % Shift(size.parts[1], ppb) == 0) {
            return true;
        }
    }
    return false;
}

// Distances at the short lags the element is found from, straight from the probes: those
// it looks at. Other lags are left at 0.
std::vector<double> ShortDistances(const std::vector<std::vector<double>>& blocks,
                                   std::int64_t ppb) {
    std::vector<double> dist(static_cast<std::size_t>(kCombTeeth * kLongestElement * ppb) + 1, 0.0);
    std::vector<std::size_t> lags;
    for (std::size_t lag = 1; lag < dist.size(); ++lag) {
        if (Looked(static_cast<std::int64_t>(lag), ppb)) {
            lags.push_back(lag);
        }
    }
    // kTogether lags at a time: each sum adds its terms in the same order as alone, but the
    // chains of additions overlap instead of each waiting for its last.
    constexpr std::size_t kTogether = 4;
    for (std::size_t g = 0; g < lags.size(); g += kTogether) {
        const std::size_t n = std::min(kTogether, lags.size() - g);
        const std::size_t* lag = lags.data() + g;
        std::array<double, kTogether> sum{};
        std::array<std::size_t, kTogether> pairs{};
        for (const auto& b : blocks) {
            ForProbes(b.size(), [&](std::size_t first, std::size_t last) {
                // Up to `common` every lag of the group has its pair; lags rise.
                std::size_t common = first;
                if (n == kTogether && last - first > lag[n - 1]) {
                    common = last - lag[n - 1];
                    // Held apart from the array, so that they stay in registers.
                    double s0 = sum[0], s1 = sum[1], s2 = sum[2], s3 = sum[3];
                    const double* x = b.data();
                    for (std::size_t i = first; i < common; ++i) {
                        const double d0 = x[i] - x[i + lag[0]];
                        const double d1 = x[i] - x[i + lag[1]];
                        const double d2 = x[i] - x[i + lag[2]];
                        const double d3 = x[i] - x[i + lag[3]];
                        s0 += d0 * d0;
                        s1 += d1 * d1;
                        s2 += d2 * d2;
                        s3 += d3 * d3;
                    }
                    sum = {s0, s1, s2, s3};
                }
                for (std::size_t j = 0; j < n; ++j) {
                    for (std::size_t i = common; i + lag[j] < last; ++i) {
                        const double d = b[i] - b[i + lag[j]];
                        sum[j] += d * d;
                    }
                    pairs[j] += last - first > lag[j] ? last - first - lag[j] : 0;
                }
            });
        }
        for (std::size_t j = 0; j < n; ++j) {
            dist[lag[j]] = pairs[j] > 0 ? sum[j] / static_cast<double>(pairs[j]) : 0;
        }
    }
    return dist;
}

// The pixels of the probes gathered by their place in a stretch of kResidues elements of a
// byte, which every element size divides: a place in an element is a sum of these places.
struct Residues {
    std::vector<double> count, sum, squares;
};

Residues GatherResidues(const Sample& sample, std::int64_t ppb) {
    const auto m = static_cast<std::size_t>(kResidues * ppb);
    Residues r{std::vector<double>(m), std::vector<double>(m), std::vector<double>(m)};
    for (std::size_t k = 0; k < sample.blocks.size(); ++k) {
        const auto& b = sample.blocks[k];
        const auto first = static_cast<std::size_t>(sample.placed[k].start) % m;
        ForProbes(b.size(), [&](std::size_t from, std::size_t last) {
            // The place steps on with i: a division a pixel would cost more than the sums.
            for (std::size_t i = from, p = (first + from) % m; i < last; ++i, p = Next(p, m)) {
                r.count[p] += 1;
                r.sum[p] += b[i];
                r.squares[p] += b[i] * b[i];
            }
        });
    }
    return r;
}

// The spread of the pixels at each place in an element of the given pixels, as the file
// counts them, over the probes: from the places gathered once for every size, where each
// size's own pass over the probes cost more than the rest of the element's search.
std::vector<double> PlaceSpreads(const Residues& r, std::int64_t element) {
    const auto e = static_cast<std::size_t>(element);
    std::vector<double> count(e), sum(e), squares(e);
    for (std::size_t q = 0; q < r.count.size(); ++q) {
        count[q % e] += r.count[q];
        sum[q % e] += r.sum[q];
        squares[q % e] += r.squares[q];
    }
    for (std::size_t p = 0; p < e; ++p) {
        const double mean = count[p] > 0 ? sum[p] / count[p] : 0;
        squares[p] = count[p] > 0 ? std::max(0.0, squares[p] / count[p] - mean * mean) : 0;
    }
    return squares;
}

// Whether some place in an element of the given pixels is spread kDistinct times as widely
// as the place shift further on, as the high and low bytes of samples are.
bool PlacesDiffer(const std::vector<double>& spread, std::int64_t pixels, std::int64_t shift) {
    bool distinct = false;
    for (std::int64_t p = 0; p < pixels; ++p) {
        const double a = spread[static_cast<std::size_t>(p)];
        const double b = spread[static_cast<std::size_t>((p + shift) % pixels)];
        distinct = distinct || a > kDistinct * b + kSameSpread;
    }
    return distinct;
}

}  // namespace

// An element is taken when pixels at its multiples are clearly closer than those at the
// multiples of each element it is made of.
Element FindElement(const Sample& sample, std::int64_t ppb) {
    const std::vector<double> dist = ShortDistances(sample.blocks, ppb);
    const Residues residues = GatherResidues(sample, ppb);
    Element found;
    for (const ElementSize& size : kSizes) {
        const std::int64_t pixels = size.bytes * ppb;
        const std::int64_t reach = pixels * kCombTeeth;
        if (pixels == 1 || reach >= static_cast<std::int64_t>(dist.size())) {
            continue;
        }
        const double on = MeanAt(dist, reach, pixels, 0);
        // Each part must fall short on its own: pixels at the element's multiples clearly
        // closer than at the part's, or the places differ in spread where the part would
        // have them alike (the high and low bytes of samples).
        const std::vector<double> spread = PlaceSpreads(residues, pixels);
        double ratio = 0;
        bool taken = true;
        for (const int part : size.parts) {
            const std::int64_t shift = Shift(part, ppb);
            const double off = MeanAt(dist, reach, shift, pixels);
            const double r = off > 0 ? on / off : 1.0;
            ratio = std::max(ratio, r);
            taken = taken && (r < kComb || PlacesDiffer(spread, pixels, shift));
        }
        if (taken) {
            found = {pixels, size.bytes, std::max(0.0, 1 - ratio)};
        }
    }
    return found;
}

namespace {

// Each place's mean, spread and likeness to the same place one element on.
struct PlaceStats {
    std::vector<double> mean, spread, alike;
};

// Empty when a place holds fewer than two pixels: no spread to go by.
PlaceStats MeasurePlaces(const Sample& sample, std::int64_t element) {
    const auto e = static_cast<std::size_t>(element);
    std::vector<double> count(e), sum(e), squares(e), steps(e);
    // A place's sums, held in registers while its pixels are added in the order of i.
    struct Sums {
        double count, sum, squares, steps;
        void Add(const std::vector<double>& b, std::size_t i, std::size_t e) {
            count += 1;
            sum += b[i];
            squares += b[i] * b[i];
            if (i + e < b.size()) {
                steps += (b[i + e] - b[i]) * (b[i + e] - b[i]);
            }
        }
    };
    for (std::size_t k = 0; k < sample.blocks.size(); ++k) {
        const auto& b = sample.blocks[k];
        const auto first = static_cast<std::size_t>(sample.placed[k].start % element);
        // Two places at a time, their chains of additions side by side.
        for (std::size_t p = 0; p < e; p += 2) {
            const std::size_t q = std::min(p + 1, e - 1);
            Sums x{count[p], sum[p], squares[p], steps[p]};
            Sums y{count[q], sum[q], squares[q], steps[q]};
            std::size_t i = (p + e - first) % e;
            std::size_t j = (q + e - first) % e;
            for (; i < b.size() && j < b.size(); i += e, j += e) {
                x.Add(b, i, e);
                y.Add(b, j, e);
            }
            for (; i < b.size(); i += e) {
                x.Add(b, i, e);
            }
            for (; j < b.size(); j += e) {
                y.Add(b, j, e);
            }
            // With one place left, y summed it again: x holds it.
            if (q != p) {
                count[q] = y.count, sum[q] = y.sum, squares[q] = y.squares, steps[q] = y.steps;
            }
            count[p] = x.count, sum[p] = x.sum, squares[p] = x.squares, steps[p] = x.steps;
        }
    }
    PlaceStats s{std::vector<double>(e), std::vector<double>(e), std::vector<double>(e)};
    for (std::size_t p = 0; p < e; ++p) {
        if (count[p] < 2) {
            return {};
        }
        s.mean[p] = sum[p] / count[p];
        s.spread[p] = std::max(0.0, squares[p] / count[p] - s.mean[p] * s.mean[p]);
        s.alike[p] =
            s.spread[p] > 0 ? std::max(0.0, 1 - steps[p] / count[p] / (2 * s.spread[p])) : 0;
    }
    return s;
}

}  // namespace

std::vector<double> PlaceLikeness(const Sample& sample, std::int64_t element) {
    return MeasurePlaces(sample, element).alike;
}

std::vector<double> WeighPlaces(Sample& sample, std::int64_t element) {
    const PlaceStats s = MeasurePlaces(sample, element);
    if (s.alike.empty()) {
        return {};
    }
    const double widest = *std::max_element(s.spread.begin(), s.spread.end());
    // Records are alike at the row, not from one element to the next: left as they are.
    if (*std::max_element(s.alike.begin(), s.alike.end()) < kAlike) {
        return s.alike;
    }
    const auto e = static_cast<std::size_t>(element);
    std::vector<double> weight(e);
    for (std::size_t p = 0; p < e; ++p) {
        weight[p] =
            std::sqrt((s.alike[p] + kNoiseWeight) / std::max(s.spread[p], widest * kQuietShare));
    }
    for (std::size_t k = 0; k < sample.blocks.size(); ++k) {
        const auto first = static_cast<std::size_t>(sample.placed[k].start % element);
        auto& b = sample.blocks[k];
        for (std::size_t i = 0, place = first % e; i < b.size(); ++i, place = Next(place, e)) {
            b[i] = (b[i] - s.mean[place]) * weight[place];
        }
    }
    return s.alike;
}

}  // namespace rastel::core::widths
