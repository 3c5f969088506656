#include "image/search/PictureExtent.h"

#include <algorithm>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rastel::core::pictures {

namespace {

// A row is tested on a stretch of its bytes: several rows when rows are short, part of one
// when they are long.
constexpr std::int64_t kProbeMin = 256;
constexpr std::int64_t kProbeMax = 512;
// Rows are alike when bytes a row apart differ by less than this share of what bytes a
// quarter row more or less apart do: pictures give a tenth to a half, bytes without rows
// about 1.
constexpr double kRowMatch = 0.75;
// Inside a region rows are tested this many bytes apart (four rows at least), and one by one
// where they stop: a longer step lands in the next picture of the same row length and takes
// the bytes between for rows. A band of one value repeated (the clear rows of an icon) is
// passed over for at most kQuietProbes tests, and is kBand bytes long at most.
constexpr std::int64_t kCoarse = std::int64_t{8} << 10;
constexpr std::int64_t kBand = std::int64_t{64} << 10;
constexpr int kQuietProbes = 4;
// Places where two rows alike are looked for, spread over the window.
constexpr std::int64_t kSeeds = 64;

enum class Fit { Match, Quiet, Miss };

struct Test {
    Fit fit = Fit::Miss;
    double row = 0;     // sum of the differences of bytes a row apart
    double around = 0;  // the same a quarter row more and less apart, halved
    double used = 0;    // bytes compared
};

struct Walker {
    Peek& peek;
    const RowShape shape;
    const std::int64_t probe;       // bytes tested
    const std::int64_t aside;       // a quarter row, in whole elements
    const std::int64_t rivalReach;  // the longest of shape's rivals, 0 when none
    bool failed = false;
    double row = 0;  // over the rows found alike
    double around = 0;
    double tested = 0;  // bytes compared
    // Rivals are compared over a row of bytes, or FitProbe's, with one mask for every test.
    LagDistance rivalDistance{shape, FitProbe(shape.bytes)};

    // Bytes [q, q + probe) against those a row back; outside the file, or where a rival row
    // fits them better, a miss.
    Test At(std::int64_t q) {
        const std::int64_t w = shape.bytes;
        const std::int64_t back = std::max(w + aside, rivalReach);
        const std::int64_t fit = shape.rivals.empty() ? 0 : FitProbe(w);
        Test t;
        if (q - back < 0 || q + std::max(probe, fit) > peek.size() || failed) {
            return t;
        }
        std::int64_t r = 0;
        std::int64_t a = 0;
        std::int64_t used = 0;
        bool rivalFits = false;
        failed = !peek(q - back, q + std::max(probe, fit), [&](const std::uint8_t* b) {
            const std::uint8_t* c = b + back;
            for (std::int64_t i = 0; i < probe; ++i) {
                if (shape.Uses(q + i)) {
                    const int v = c[i];
                    r += std::abs(v - c[i - w]);
                    a += std::abs(v - c[i - w - aside]) + std::abs(v - c[i - w + aside]);
                    ++used;
                }
            }
            if (fit > 0) {
                rivalDistance.Place(q);
                const double own = kFitsBetter * static_cast<double>(rivalDistance(c, w));
                for (const std::int64_t rival : shape.rivals) {
                    rivalFits = rivalFits || static_cast<double>(rivalDistance(c, rival)) < own;
                }
            }
        });
        t.row = static_cast<double>(r);
        t.around = static_cast<double>(a) / 2;
        t.used = static_cast<double>(used);
        t.fit = failed || rivalFits ? Fit::Miss
                : a == 0            ? (r == 0 ? Fit::Quiet : Fit::Miss)
                                    : (t.row < kRowMatch * t.around ? Fit::Match : Fit::Miss);
        return t;
    }

    void Count(const Test& t) {
        row += t.row;
        around += t.around;
        tested += t.used;
    }

    // Between how far bytes of the rows are from those a row on and how far they are from
    // those a quarter row more or less on: bytes without rows, or of other rows, are farther
    // from those a row on, flat rows of the picture nearer.
    double Middle() const { return tested > 0 ? (row + around) / (2 * tested) : 0; }

    // The last row alike with the one before it, in rows from seed, going dir rows a step;
    // quiet: the last row of one value repeated beyond it (the clear rows of an icon), or it.
    std::int64_t Reach(std::int64_t seed, std::int64_t dir, std::int64_t& quiet) {
        const std::int64_t w = shape.bytes;
        const std::int64_t jump = std::max(kCoarse, 4 * w) / w;
        std::int64_t last = 0;
        std::int64_t next = dir * jump;
        for (int quiets = 0; quiets <= kQuietProbes; next += dir * jump) {
            const Test t = At(seed + next * w);
            if (t.fit == Fit::Miss) {
                break;
            }
            quiets = t.fit == Fit::Quiet ? quiets + 1 : 0;
            if (t.fit == Fit::Match) {
                last = next;
                Count(t);
            }
        }
        quiet = last;
        for (std::int64_t k = last + dir; k != next; k += dir) {
            const Test t = At(seed + k * w);
            if (t.fit == Fit::Miss) {
                break;
            }
            quiet = k;
            if (t.fit == Fit::Match) {
                last = k;
                Count(t);
            }
        }
        return last;
    }

    // How many bytes from pos on, going dir (-1 or 1), equal those a row further in (a row
    // later going back, earlier going on): a band of one value (the clear rows of an icon) at
    // most kBand bytes long, which is part of the picture wherever its rows stop.
    std::int64_t Repeated(std::int64_t pos, std::int64_t dir) {
        const std::int64_t w = shape.bytes;
        const std::int64_t from =
            std::clamp(dir < 0 ? pos - kBand : pos - w, std::int64_t{0}, peek.size());
        const std::int64_t to = std::clamp(dir < 0 ? pos + w : pos + kBand, from, peek.size());
        std::int64_t n = 0;
        if (to - from > w && !failed) {
            failed = !peek(from, to, [&](const std::uint8_t* b) {
                for (std::int64_t i = pos - from - (dir < 0); i >= 0 && i < to - from; i += dir) {
                    const std::int64_t other = i - dir * w;
                    if (other < 0 || other >= to - from || b[i] != b[other]) {
                        break;
                    }
                    ++n;
                }
            });
        }
        return n;
    }

    // Where the rows begin, in [lo, hi]: bytes from there to inside (known to be in rows) are
    // on the whole closer than Middle() to those a row further on, and bytes before it are
    // not.
    std::int64_t FirstByte(std::int64_t lo, std::int64_t hi, std::int64_t inside) {
        const std::int64_t w = shape.bytes;
        inside = std::min(inside, peek.size() - w);
        lo = std::max<std::int64_t>(lo, 0);
        hi = std::min(hi, inside);
        std::int64_t best = hi;
        if (lo >= inside || failed) {
            return best;
        }
        const double middle = Middle();
        failed = !peek(lo, inside + w, [&](const std::uint8_t* b) {
            double sum = 0;
            double least = 0;
            for (std::int64_t i = inside - lo - 1; i >= 0; --i) {
                if (!shape.Uses(lo + i)) {
                    continue;
                }
                sum += std::abs(b[i] - b[i + w]) - middle;
                if (lo + i <= hi && sum < least) {
                    least = sum;
                    best = lo + i;
                }
            }
        });
        return best;
    }

    // Where the rows end, in [inside, hi]: the same looking a row back.
    std::int64_t EndByte(std::int64_t inside, std::int64_t hi) {
        const std::int64_t w = shape.bytes;
        hi = std::min(hi, peek.size());
        std::int64_t best = inside;
        if (inside - w < 0 || inside >= hi || failed) {
            return best;
        }
        const double middle = Middle();
        failed = !peek(inside - w, hi, [&](const std::uint8_t* b) {
            const std::uint8_t* c = b + w;
            double sum = 0;
            double least = 0;
            for (std::int64_t i = 0; inside + i < hi; ++i) {
                if (!shape.Uses(inside + i)) {
                    continue;
                }
                sum += std::abs(c[i] - c[i - w]) - middle;
                if (sum < least) {
                    least = sum;
                    best = inside + i + 1;
                }
            }
        });
        return best;
    }
};

}  // namespace

LagDistance::LagDistance(const RowShape& shape, std::int64_t n) : mShape(shape), mN(n), mAll(true) {
    for (std::int64_t p = 0; p < shape.element; ++p) {
        mAll = mAll && shape.Uses(p);
    }
    if (!mAll) {
        mMask.resize(static_cast<std::size_t>(n));
    }
}

void LagDistance::Place(std::int64_t q) {
    const std::int64_t e = mShape.element;
    for (std::int64_t i = 0, p = q % e; i < std::ssize(mMask); ++i, p = p + 1 == e ? 0 : p + 1) {
        mMask[static_cast<std::size_t>(i)] = (mShape.places >> p & 1) != 0 ? 0xff : 0;
    }
}

std::int64_t LagDistance::operator()(const std::uint8_t* b, std::int64_t lag) const {
    const std::uint8_t* back = b - lag;
    const std::uint8_t* mask = mAll ? nullptr : mMask.data();
    std::int64_t sum = 0;
    std::int64_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i sums = zero;
    for (; i + 16 <= mN; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(back + i));
        __m128i d = _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x));
        if (mask != nullptr) {
            d = _mm_and_si128(d, _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + i)));
        }
        sums = _mm_add_epi64(sums, _mm_sad_epu8(d, zero));
    }
    alignas(16) std::int64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sums);
    sum = lanes[0] + lanes[1];
#endif
    for (; i < mN; ++i) {
        sum += mask == nullptr || mask[i] != 0 ? std::abs(b[i] - back[i]) : 0;
    }
    return sum;
}

std::optional<Extent> FindExtent(Peek& peek, const RowShape& shape, std::int64_t from,
                                 std::int64_t to, bool& failed) {
    const std::int64_t w = shape.bytes;
    const std::int64_t e = std::max<std::int64_t>(1, shape.element);
    Walker walk{peek, shape, std::clamp(w, kProbeMin, kProbeMax),
                e * std::max<std::int64_t>(1, (w / 4 + e / 2) / e),
                shape.rivals.empty() ? 0 : *std::ranges::max_element(shape.rivals)};
    std::optional<std::int64_t> seed;
    const std::int64_t gap = std::max(w, (to - from) / kSeeds);
    for (std::int64_t q = from + w + walk.aside; !seed && !walk.failed && q + w + walk.probe <= to;
         q += gap) {
        const Test t = walk.At(q);
        if (const Test next = walk.At(q + w); t.fit == Fit::Match && next.fit == Fit::Match) {
            walk.Count(t);
            walk.Count(next);
            seed = q;
        }
    }
    std::optional<Extent> found;
    if (seed) {
        std::int64_t before = 0;
        std::int64_t after = 0;
        const std::int64_t first = *seed + walk.Reach(*seed, -1, before) * w;
        const std::int64_t last = *seed + walk.Reach(*seed, 1, after) * w;
        const std::int64_t inside = first - w + walk.probe;
        Extent x;
        const std::int64_t lo = *seed + (before - 2) * w;
        const std::int64_t hi = *seed + (after + 1) * w + walk.probe;
        x.begin = walk.FirstByte(lo - walk.Repeated(lo, -1), inside, inside);
        x.end = walk.EndByte(last, hi + walk.Repeated(hi, 1));
        x.score = walk.around > 0 ? std::clamp(1 - walk.row / walk.around, 0.0, 1.0) : 0;
        if (x.end > x.begin) {
            found = x;
        }
    }
    failed = walk.failed;
    return failed ? std::nullopt : found;
}

}  // namespace rastel::core::pictures
