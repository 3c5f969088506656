#include "image/Transform.h"

#include <bit>
#include <numbers>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace rastel::core::widths {

namespace {

// The turns of every stage of the longest transform, one stage after the other: stage len
// (2, 4, .. n) holds exp(-2 pi i k / len), k < len / 2, from index len / 2 - 1 on. Stage len
// of a transform holds the same turns whatever its length, so these serve every length.
const std::vector<Complex>& Turns() {
    static const std::vector<Complex> turns = [] {
        std::vector<Complex> t;
        for (std::size_t len = 2; len <= kTransformMax; len <<= 1) {
            for (std::size_t k = 0; k < len / 2; ++k) {
                t.push_back(std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(k) /
                                                static_cast<double>(len)));
            }
        }
        return t;
    }();
    return turns;
}

// Index i of the longest transform with its bits reversed; a transform of n points takes
// these shifted right by log2(kTransformMax / n).
const std::vector<std::uint32_t>& Reversed() {
    static const std::vector<std::uint32_t> reversed = [] {
        const int bits = std::countr_zero(kTransformMax);
        std::vector<std::uint32_t> r(kTransformMax);
        for (std::uint32_t i = 0; i < r.size(); ++i) {
            for (int b = 0; b < bits; ++b) {
                r[i] |= ((i >> b) & 1U) << (bits - 1 - b);
            }
        }
        return r;
    }();
    return reversed;
}

// Scatter moves tiles of 2^kTile by 2^kTile values: 8 doubles make a cache line.
constexpr int kTile = 3;

// lo, hi = lo + v, lo - v with v = hi times the turn t, or its conjugate for the inverse.
// Written out: the library's product also handles infinities, at a cost. Every way below
// gives the same bits: each part is the same products and sums, in two or four lanes at once
// where there are.
template <bool inverse>
void Butterfly(Complex* lo, Complex* hi, Complex t) {
#if defined(__SSE2__)
    const auto* tp = reinterpret_cast<const double*>(&t);
    auto* lp = reinterpret_cast<double*>(lo);
    auto* hp = reinterpret_cast<double*>(hi);
    const __m128d h = _mm_loadu_pd(hp);                                         // hr, hi
    const __m128d a = _mm_mul_pd(h, _mm_set1_pd(tp[0]));                        // hr tr, hi tr
    const __m128d b = _mm_mul_pd(_mm_shuffle_pd(h, h, 1), _mm_set1_pd(tp[1]));  // hi ti, hr ti
    // The sign that makes a + b the product: - hi ti, or for the conjugate - hr (-ti).
    const __m128d sign = inverse ? _mm_set_pd(-0.0, 0.0) : _mm_set_pd(0.0, -0.0);
    const __m128d v = _mm_add_pd(a, _mm_xor_pd(b, sign));
    const __m128d l = _mm_loadu_pd(lp);
    _mm_storeu_pd(hp, _mm_sub_pd(l, v));
    _mm_storeu_pd(lp, _mm_add_pd(l, v));
#else
    const double tr = t.real();
    const double ti = inverse ? -t.imag() : t.imag();
    const Complex v(hi->real() * tr - hi->imag() * ti, hi->real() * ti + hi->imag() * tr);
    *hi = *lo - v;
    *lo += v;
#endif
}

template <bool inverse>
void Stage(Complex* a, std::size_t n, std::size_t len, const Complex* turns) {
    for (std::size_t i = 0; i < n; i += len) {
        for (std::size_t k = 0; k < len / 2; ++k) {
            Butterfly<inverse>(a + i + k, a + i + len / 2 + k, turns[k]);
        }
    }
}

#if defined(__x86_64__)
// Two butterflies' products h times t (t's conjugate for the inverse), lane by lane as
// Butterfly computes one.
template <bool inverse>
__attribute__((target("avx2"))) inline __m256d Times(__m256d h, __m256d t) {
    const __m256d sign =
        inverse ? _mm256_set_pd(-0.0, 0.0, -0.0, 0.0) : _mm256_set_pd(0.0, -0.0, 0.0, -0.0);
    const __m256d x = _mm256_mul_pd(h, _mm256_movedup_pd(t));
    const __m256d y = _mm256_mul_pd(_mm256_permute_pd(h, 0b0101), _mm256_permute_pd(t, 0b1111));
    return _mm256_add_pd(x, _mm256_xor_pd(y, sign));
}

// A stage of len 4 or more, two butterflies at a time: the same products and sums as
// Butterfly's, lane by lane.
template <bool inverse>
__attribute__((target("avx2"))) void Stage2(Complex* a, std::size_t n, std::size_t len,
                                            const Complex* turns) {
    for (std::size_t i = 0; i < n; i += len) {
        auto* lp = reinterpret_cast<double*>(a + i);
        auto* hp = reinterpret_cast<double*>(a + i + len / 2);
        const auto* tp = reinterpret_cast<const double*>(turns);
        for (std::size_t k = 0; k < len; k += 4) {  // k counts doubles: two butterflies a step
            const __m256d v = Times<inverse>(_mm256_loadu_pd(hp + k), _mm256_loadu_pd(tp + k));
            const __m256d l = _mm256_loadu_pd(lp + k);
            _mm256_storeu_pd(hp + k, _mm256_sub_pd(l, v));
            _mm256_storeu_pd(lp + k, _mm256_add_pd(l, v));
        }
    }
}

// Stages len and 2 len (len 4 or more) in one pass over the points: each value is loaded and
// stored once for both, and goes through the same butterflies as in two passes.
template <bool inverse>
__attribute__((target("avx2"))) void Stage4(Complex* a, std::size_t n, std::size_t len,
                                            const Complex* turns, const Complex* next) {
    const std::size_t q = len;  // a quarter of the group of 2 len, in doubles
    for (std::size_t i = 0; i < n; i += 2 * len) {
        auto* p = reinterpret_cast<double*>(a + i);
        const auto* t1 = reinterpret_cast<const double*>(turns);
        const auto* t2 = reinterpret_cast<const double*>(next);
        for (std::size_t k = 0; k < q; k += 4) {
            __m256d w = _mm256_loadu_pd(p + k);
            __m256d x = _mm256_loadu_pd(p + q + k);
            __m256d y = _mm256_loadu_pd(p + 2 * q + k);
            __m256d z = _mm256_loadu_pd(p + 3 * q + k);
            const __m256d t = _mm256_loadu_pd(t1 + k);
            const __m256d vx = Times<inverse>(x, t);
            const __m256d vz = Times<inverse>(z, t);
            x = _mm256_sub_pd(w, vx);
            w = _mm256_add_pd(w, vx);
            z = _mm256_sub_pd(y, vz);
            y = _mm256_add_pd(y, vz);
            const __m256d vy = Times<inverse>(y, _mm256_loadu_pd(t2 + k));
            const __m256d vz2 = Times<inverse>(z, _mm256_loadu_pd(t2 + q + k));
            _mm256_storeu_pd(p + k, _mm256_add_pd(w, vy));
            _mm256_storeu_pd(p + 2 * q + k, _mm256_sub_pd(w, vy));
            _mm256_storeu_pd(p + q + k, _mm256_add_pd(x, vz2));
            _mm256_storeu_pd(p + 3 * q + k, _mm256_sub_pd(x, vz2));
        }
    }
}

const bool kCanPair = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
#endif

// Stages len = first, 2 first, .. last over the n points at a.
template <bool inverse>
void Stages(Complex* a, std::size_t n, std::size_t first, std::size_t last) {
    const std::vector<Complex>& turns = Turns();
    for (std::size_t len = first; len <= last; len <<= 1) {
        const Complex* stage = turns.data() + len / 2 - 1;
#if defined(__x86_64__)
        if (kCanPair && len >= 4 && 2 * len <= last) {
            Stage4<inverse>(a, n, len, stage, turns.data() + len - 1);
            len <<= 1;
            continue;
        }
        if (kCanPair && len >= 4) {
            Stage2<inverse>(a, n, len, stage);
            continue;
        }
#endif
        Stage<inverse>(a, n, len, stage);
    }
}

// The stages of groups of up to kLocal points run group by group, while the group stays in
// the first cache, then the longer stages over the whole: the same butterflies on the same
// values as stage by stage, with a third of the passes over a long transform.
constexpr std::size_t kLocal = 2048;

template <bool inverse>
void Run(std::span<Complex> a) {
    const std::size_t n = a.size();
    const std::size_t local = std::min(n, kLocal);
    for (std::size_t g = 0; g < n; g += local) {
        Stages<inverse>(a.data() + g, local, 2, local);
    }
    Stages<inverse>(a.data(), n, 2 * local, n);
}

}  // namespace

// Value i of a transform's input: 0 past those given.
inline double At(std::span<const double> v, std::size_t i) {
    return i < v.size() ? v[i] : 0.0;
}

void Scatter(std::span<const double> re, std::span<const double> im, std::span<Complex> out) {
    const std::vector<std::uint32_t>& reversed = Reversed();
    const std::size_t n = out.size();
    const int bits = std::countr_zero(n);
    const int shift = std::countr_zero(kTransformMax);
    if (bits < 2 * kTile) {
        for (std::size_t j = 0; j < n; ++j) {
            const std::uint32_t i = reversed[j] >> (shift - bits);
            out[j] = Complex(At(re, i), At(im, i));
        }
        return;
    }
    // An index is (a, b, c): its high kTile bits, the middle ones and its low kTile bits; with
    // its bits reversed it is (rev c, rev b, rev a). For each b, the values of a tile of
    // rows rev c, columns rev a are read and written as rows a, columns c: whole cache lines
    // read and written, where an index at a time would wait on a line for each value.
    constexpr std::size_t kSide = std::size_t{1} << kTile;
    const int high = bits - kTile;
    std::uint32_t flip[kSide];  // an index of kTile bits with its bits reversed
    for (std::size_t t = 0; t < kSide; ++t) {
        flip[t] = reversed[t] >> (shift - kTile);
    }
    for (std::size_t b = 0; b < n >> (2 * kTile); ++b) {
        const std::size_t rb = (reversed[b] >> (shift - (bits - 2 * kTile))) << kTile;
        for (std::size_t a = 0; a < kSide; ++a) {
            Complex* row = out.data() + (a << high) + (b << kTile);
            for (std::size_t c = 0; c < kSide; ++c) {
                const std::size_t i = (std::size_t{flip[c]} << high) + rb + flip[a];
                row[c] = Complex(At(re, i), At(im, i));
            }
        }
    }
}

void Forward(std::span<Complex> a) {
    Run<false>(a);
}

void Inverse(std::span<Complex> a) {
    Run<true>(a);
}

}  // namespace rastel::core::widths
