#include "image/search/WidthHints.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "image/pixels/PixelDecoder.h"
#include "image/search/FrameSizes.h"
#include "image/search/WidthElement.h"
#include "image/search/WidthSampling.h"

namespace rastel::core {

Result<std::vector<WidthCandidate>> SuggestWidths(ByteSource& source, const Layout& kind,
                                                  int count) {
    if (kind.indexed()) {
        return SuggestWidths(source, kind.format->depth, kind.format->order, count);
    }
    auto widths = SuggestWidths(source, *kind.format, count);
    const auto frames = SuggestFrameSizes(source, *kind.format, kind.offset, count);
    if (!widths || !frames) {
        return !widths ? widths : Result<std::vector<WidthCandidate>>(frames.outcome());
    }
    for (const FrameSize& f : *frames) {
        WidthCandidate c;
        c.width = f.width;
        c.score = f.score;
        c.format = kind.format;
        c.frameHeight = f.height;
        c.sizeName = f.name;
        widths->push_back(c);
    }
    return widths;
}

namespace widths {
namespace {

// A row of one pixel shows nothing that the bytes in a line do not.
constexpr std::int64_t kMinWidth = 2;
// A score compares a width with the lags from half to one and a half times it: near enough
// to share the data's slow trends, far enough apart to miss its rows.
constexpr std::int64_t kAroundDivisor = 2;
// Pixels at most 2% closer than around them make no rows worth showing, however sure the
// sample is of it.
constexpr double kMinScore = 0.02;
// A distance is a mean over pairs of squared differences; in data without rows it wanders
// by about sqrt(2 / pairs) of itself. A score this many times that is no chance.
constexpr double kNoiseTimes = 4;
// Candidates looked at for multiples: far more than are shown.
constexpr std::size_t kExamined = 256;
// Widths this many elements either side of a row are looked at for the row seen slanted,
// at its multiples from kDriftFrom to kDriftTo, where the slant has drifted away; the
// straighter width must keep at least 1 / kStraightDivisor of the score, or it is another
// pattern.
constexpr std::int64_t kSlant = 3;
constexpr std::int64_t kDriftFrom = 2;
constexpr std::int64_t kDriftTo = 3;
constexpr double kStraightDivisor = 2;
// Widths whose pixels are no closer than this beside those of a smaller candidate's
// multiples add nothing to it. Those multiples are sampled at about kMultipleTerms lags.
constexpr double kOwnDip = 0.15;
constexpr std::int64_t kMultipleTerms = 32;
// Below this many bytes a repeating unit is taken for the bytes of one pixel or value, which
// rows are made of, rather than for a row.
constexpr std::int64_t kMinRowBytes = 16;
// A divisor that scores this share of a width's score is the row to show: the width only
// repeats it, or a field of it that counts up.
constexpr double kNearly = 0.9;
// A width within 1 / kSlantDivisor of a kept width's multiple is those rows seen slanted.
constexpr std::int64_t kSlantDivisor = 10;

// The sample's distances seen in the lattice of its element: rows are a whole number of
// elements long.
struct Lattice {
    Lattice(std::vector<double> distances, std::int64_t element, std::int64_t lags)
        : dist(std::move(distances)),
          reach(static_cast<std::int64_t>(dist.size()) - 1),
          step(element),
          maxLag(lags),
          aligned(static_cast<std::size_t>(reach / step) + 2, 0.0) {
        for (std::size_t k = 1; k < aligned.size(); ++k) {
            const std::size_t lag = (k - 1) * static_cast<std::size_t>(step);
            aligned[k] = aligned[k - 1] +
                         (lag >= 1 && lag <= static_cast<std::size_t>(reach) ? dist[lag] : 0);
        }
    }

    // Against the mean distance at the multiples of the element around w: pixels at the
    // same place in their elements, as a row's are.
    double ScoreAt(std::int64_t w) const {
        const std::int64_t lo =
            std::max<std::int64_t>(1, (w - w / kAroundDivisor + step - 1) / step);
        const std::int64_t hi = std::min(reach, w + w / kAroundDivisor) / step;
        const double around =
            hi < lo ? 0 : (aligned[hi + 1] - aligned[lo]) / static_cast<double>(hi - lo + 1);
        return around > 0 ? 1 - dist[w] / around : 0.0;
    }

    std::vector<double> dist;
    std::int64_t reach;   // the last lag dist holds
    std::int64_t step;    // the element's pixels
    std::int64_t maxLag;  // candidates stay below it
    // aligned[k]: the sum of dist at the multiples of the element below k elements.
    std::vector<double> aligned;
};

WidthCandidate Candidate(std::int64_t width, double score, const Element& element) {
    return {width, score, element.bytes, element.pixels};
}

// Distances closer than those one element either side, best first. Scores within the
// sample's noise are not candidates. scoreOf[w] gets each candidate's score.
std::vector<WidthCandidate> Dips(const Lattice& l, const Sample& sample, const Element& element,
                                 std::vector<double>& scoreOf) {
    const std::vector<double>& dist = l.dist;
    const std::int64_t step = l.step;
    std::vector<WidthCandidate> found;
    for (std::int64_t w = std::max(kMinWidth, step + 1); w < l.maxLag && w + step <= l.reach; ++w) {
        if (dist[w] >= dist[w + step] || (w > step && dist[w] > dist[w - step])) {
            continue;
        }
        const double score = l.ScoreAt(w);
        const double noise = kNoiseTimes * std::sqrt(2 / PairsAt(sample.blocks, w));
        if (score >= std::max(kMinScore, noise)) {
            found.push_back(Candidate(w, score, element));
            scoreOf[w] = score;
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.score > b.score; });
    if (found.size() > kExamined) {
        found.resize(kExamined);
    }
    return found;
}

// The sum of dist at v's multiples where the slant of a row near v has drifted away.
double Drift(const Lattice& l, std::int64_t far, std::int64_t v) {
    double sum = 0;
    for (std::int64_t m = kDriftFrom; m <= kDriftTo && m * far <= l.reach; ++m) {
        sum += l.dist[static_cast<std::size_t>(m * v)];
    }
    return sum;
}

// Slanted content makes a width an element or two off the row look best, but the row
// repeats exactly at its multiples where the slant drifts away: of the widths a few
// elements either side, the one closest there.
std::int64_t Straighten(const Lattice& l, std::int64_t w) {
    const std::int64_t step = l.step;
    const std::int64_t far = w + kSlant * step;
    if (kDriftFrom * far > l.reach) {
        return w;
    }
    std::int64_t best = w;
    for (std::int64_t v = std::max(w - kSlant * step, step + 1); v <= far && v < l.maxLag;
         v += step) {
        if (Drift(l, far, v) < Drift(l, far, best) &&
            l.ScoreAt(v) >= l.ScoreAt(w) / kStraightDivisor) {
            best = v;
        }
    }
    return best;
}

// Whether w is only a multiple of d: pixels w apart are not clearly closer than pixels at
// the multiples of d from half w up, as they would be if w were a row of its own made of
// units d.
bool MereMultiple(const std::vector<double>& dist, std::int64_t w, std::int64_t d) {
    const std::int64_t k0 = (w / 2 + d - 1) / d;
    const std::int64_t k1 = w / d - 1;
    const std::int64_t step = std::max<std::int64_t>(1, (k1 - k0) / kMultipleTerms);
    double sum = 0;
    int terms = 0;
    for (std::int64_t k = k0; k <= k1; k += step, ++terms) {
        sum += dist[static_cast<std::size_t>(k * d)];
    }
    return terms == 0 || sum <= 0 || 1 - dist[static_cast<std::size_t>(w)] * terms / sum < kOwnDip;
}

// Whether width w only repeats a shorter candidate: a byte's pixels at 16 and 2 colours,
// which are a unit of their own whether or not the distances single them out, or a divisor
// that scores nearly as well or whose multiple w merely is.
bool RepeatsShorter(const Lattice& l, const std::vector<double>& scoreOf, std::int64_t ppb,
                    std::int64_t w, double score) {
    if (w % ppb == 0 && w > ppb && MereMultiple(l.dist, w, ppb)) {
        return true;
    }
    for (std::int64_t k = 2; k * k <= w; ++k) {
        if (w % k != 0) {
            continue;
        }
        for (const std::int64_t d : {w / k, k}) {
            const bool row = d >= kMinRowBytes * ppb && scoreOf[d] >= kNearly * score;
            if (d >= kMinWidth && scoreOf[d] > 0 && (row || MereMultiple(l.dist, w, d))) {
                return true;
            }
        }
    }
    return false;
}

// Whether w is a kept width again, or lies near one or its multiple: the same rows seen
// slanted.
bool NearKept(const std::vector<WidthCandidate>& kept, std::int64_t w) {
    for (const WidthCandidate& k : kept) {
        const std::int64_t times = (w + k.width / 2) / k.width;
        const std::int64_t off = w - times * k.width;
        if (w == k.width || (times >= 1 && off != 0 && std::abs(off) <= k.width / kSlantDivisor)) {
            return true;
        }
    }
    return false;
}

// The candidates, best first, up to count of them, each straightened in the lattice of an
// element found (a single pixel's lattice is left to the nearness rule) and left out when
// it adds nothing to a better or shorter one.
std::vector<WidthCandidate> KeepRows(const std::vector<WidthCandidate>& found, const Lattice& l,
                                     std::vector<double>& scoreOf, std::int64_t ppb, int count) {
    std::vector<WidthCandidate> result;
    for (WidthCandidate c : found) {
        if (const std::int64_t w = l.step > 1 ? Straighten(l, c.width) : c.width; w != c.width) {
            c = {w, l.ScoreAt(w), c.elementBytes, c.elementPixels};
            scoreOf[w] = std::max(scoreOf[w], c.score);
        }
        if (!NearKept(result, c.width) && !RepeatsShorter(l, scoreOf, ppb, c.width, c.score)) {
            result.push_back(c);
            if (static_cast<int>(result.size()) == count) {
                break;
            }
        }
    }
    return result;
}

}  // namespace
}  // namespace widths

namespace widths {
namespace {

// The direct format whose pixels an element of 2, 3 or 4 bytes is: 3 rgb24, 4 rgb0, 2 a
// 16-bit value whose high byte is the one more alike from one element to the next, pairs
// counted from the file's start. Nothing for other sizes.
const PixelFormat* ElementFormat(const Rows& rows, std::int32_t depth, std::int32_t order) {
    switch (rows.element.bytes) {
        case 3:
            return FindFormat("rgb24");
        case 4:
            return FindFormat("rgb0");
        case 2:
            break;
        default:
            return nullptr;
    }
    double alike[2] = {};  // of the pixels of each byte of the pair
    for (std::size_t p = 0; p < rows.alike.size(); ++p) {
        const auto source = modBITMAPinfo::SourceOf(depth, order, static_cast<std::int64_t>(p));
        alike[source ? source->byte % 2 : 0] += rows.alike[p];
    }
    return FindFormat(alike[0] > alike[1] ? "gray16be" : "gray16le");
}

// The best row made of whole elements, offered again in the format the element makes, right
// after it, so that the lines of pixels keep their places.
void OfferFormat(Rows& rows, std::int32_t depth, std::int32_t order, int count) {
    const PixelFormat* format = ElementFormat(rows, depth, order);
    const std::int64_t ppb = modBITMAPinfo::PixelsPerByte(depth);
    auto& lines = rows.widths;
    for (auto it = lines.begin(); format != nullptr && it != lines.end(); ++it) {
        const std::int64_t bytes = it->width / ppb;
        if (it->width % ppb == 0 && bytes % format->bytes == 0 &&
            bytes / format->bytes >= kMinWidth && it->width > it->elementPixels) {
            lines.insert(it + 1, {bytes / format->bytes, it->score, format->bytes, 1, format});
            if (std::ssize(lines) > count) {
                lines.pop_back();
            }
            return;
        }
    }
}

}  // namespace

std::optional<Rows> FindRows(ByteSource& source, std::int64_t begin, std::int64_t end,
                             std::int32_t depth, std::int32_t order, int count,
                             const SampleShape& shape) {
    const std::int64_t ppb = modBITMAPinfo::PixelsPerByte(depth);
    if (ppb == 0 || order < 0 || order >= modBITMAPinfo::OrderCount(depth) || count < 1) {
        return Rows{};
    }
    std::optional<Sample> sample = TakeSample(source, begin, end, depth, order, shape);
    if (!sample) {
        return std::nullopt;
    }
    // Its blocks serve the thread's next sample.
    const struct Keep {
        Sample& sample;
        ~Keep() { GiveBack(sample); }
    } keep{*sample};
    Rows rows;
    rows.element = FindElement(*sample, ppb);
    rows.alike = rows.element.pixels > 1 ? WeighPlaces(*sample, rows.element.pixels)
                                         : PlaceLikeness(*sample, rows.element.pixels);
    const std::int64_t maxLag = MaxLag(*sample);
    if (maxLag <= kMinWidth) {
        return rows;
    }
    const Element& element = rows.element;
    const Lattice lattice(Distances(sample->blocks, maxLag, sample->precision), element.pixels,
                          maxLag);
    std::vector<double> scoreOf(lattice.dist.size(), 0.0);
    const std::vector<WidthCandidate> found = Dips(lattice, *sample, element, scoreOf);
    rows.widths = KeepRows(found, lattice, scoreOf, ppb, count);
    // The element itself, after any longer row.
    if (element.bytes > 1 && element.score >= kMinScore &&
        static_cast<int>(rows.widths.size()) < count) {
        rows.widths.push_back(Candidate(element.pixels, element.score, element));
    }
    return rows;
}

}  // namespace widths

Result<std::vector<WidthCandidate>> SuggestWidths(ByteSource& source, std::int32_t depth,
                                                  std::int32_t order, int count) {
    return SuggestWidths(source, 0, source.size(), depth, order, count);
}

Result<std::vector<WidthCandidate>> SuggestWidths(ByteSource& source, std::int64_t begin,
                                                  std::int64_t end, std::int32_t depth,
                                                  std::int32_t order, int count) {
    std::optional<widths::Rows> rows = widths::FindRows(source, begin, end, depth, order, count);
    if (!rows) {
        return Outcome::Unreadable(source.result());
    }
    widths::OfferFormat(*rows, depth, order, count);
    return std::move(rows->widths);
}

// The rows of bytes, in pixels of the format where they hold whole pixels: more are looked
// at than are shown, as some hold none.
Result<std::vector<WidthCandidate>> SuggestWidths(ByteSource& source, const PixelFormat& format,
                                                  int count) {
    constexpr int kLooked = 4;
    auto rows = widths::FindRows(source, 0, source.size(), modBITMAPinfo::kDepth256, 0,
                                 std::max(1, count) * kLooked);
    if (!rows) {
        return Outcome::Unreadable(source.result());
    }
    std::vector<WidthCandidate> kept;
    for (WidthCandidate c : rows->widths) {
        if (c.width % format.bytes == 0 && c.width / format.bytes >= widths::kMinWidth &&
            std::ssize(kept) < count) {
            c.width /= format.bytes;
            c.elementPixels =
                c.elementBytes % format.bytes == 0 ? c.elementBytes / format.bytes : 1;
            c.format = &format;
            kept.push_back(c);
        }
    }
    return kept;
}

}  // namespace rastel::core
