#include "image/WidthElement.h"

#include <algorithm>
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

// Distances at the short lags the element is found from, straight from the probes: every
// lag up to kCombTeeth pixels of a byte, and every byte up to kCombTeeth of the longest
// element. Other lags are left at 0.
std::vector<double> ShortDistances(const std::vector<std::vector<double>>& blocks,
                                   std::int64_t ppb) {
    std::vector<double> dist(static_cast<std::size_t>(kCombTeeth * kLongestElement * ppb) + 1, 0.0);
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
std::vector<double> PlaceSpreads(const Sample& sample, std::int64_t element) {
    const auto e = static_cast<std::size_t>(element);
    std::vector<double> count(e), sum(e), squares(e);
    for (std::size_t k = 0; k < sample.blocks.size(); ++k) {
        const auto& b = sample.blocks[k];
        const auto first = static_cast<std::size_t>(sample.placed[k].start % element);
        ForProbes(b.size(), [&](std::size_t from, std::size_t last) {
            for (std::size_t i = from; i < last; ++i) {
                const std::size_t p = (first + i) % e;
                count[p] += 1;
                sum[p] += b[i];
                squares[p] += b[i] * b[i];
            }
        });
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
        const std::vector<double> spread = PlaceSpreads(sample, pixels);
        double ratio = 0;
        bool taken = true;
        for (const int part : size.parts) {
            const std::int64_t shift = part == 0 ? 1 : part * ppb;
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
    for (std::size_t k = 0; k < sample.blocks.size(); ++k) {
        const auto& b = sample.blocks[k];
        const auto first = static_cast<std::size_t>(sample.placed[k].start % element);
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

void WeighPlaces(Sample& sample, std::int64_t element) {
    const PlaceStats s = MeasurePlaces(sample, element);
    if (s.alike.empty()) {
        return;
    }
    const double widest = *std::max_element(s.spread.begin(), s.spread.end());
    // Records are alike at the row, not from one element to the next: left as they are.
    if (*std::max_element(s.alike.begin(), s.alike.end()) < kAlike) {
        return;
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
        for (std::size_t i = 0; i < b.size(); ++i) {
            const std::size_t place = (first + i) % e;
            b[i] = (b[i] - s.mean[place]) * weight[place];
        }
    }
}

}  // namespace rastel::core::widths
