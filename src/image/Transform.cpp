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
// A stage of len 4 or more, two butterflies at a time: the same products and sums as
// Butterfly's, lane by lane.
template <bool inverse>
__attribute__((target("avx2"))) void Stage2(Complex* a, std::size_t n, std::size_t len,
                                            const Complex* turns) {
    const __m256d sign =
        inverse ? _mm256_set_pd(-0.0, 0.0, -0.0, 0.0) : _mm256_set_pd(0.0, -0.0, 0.0, -0.0);
    for (std::size_t i = 0; i < n; i += len) {
        auto* lp = reinterpret_cast<double*>(a + i);
        auto* hp = reinterpret_cast<double*>(a + i + len / 2);
        const auto* tp = reinterpret_cast<const double*>(turns);
        for (std::size_t k = 0; k < len; k += 4) {  // k counts doubles: two butterflies a step
            const __m256d t = _mm256_loadu_pd(tp + k);
            const __m256d h = _mm256_loadu_pd(hp + k);
            const __m256d x = _mm256_mul_pd(h, _mm256_movedup_pd(t));
            const __m256d y =
                _mm256_mul_pd(_mm256_permute_pd(h, 0b0101), _mm256_permute_pd(t, 0b1111));
            const __m256d v = _mm256_add_pd(x, _mm256_xor_pd(y, sign));
            const __m256d l = _mm256_loadu_pd(lp + k);
            _mm256_storeu_pd(hp + k, _mm256_sub_pd(l, v));
            _mm256_storeu_pd(lp + k, _mm256_add_pd(l, v));
        }
    }
}

const bool kCanPair = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
#endif

template <bool inverse>
void Run(std::span<Complex> a) {
    const std::size_t n = a.size();
    const std::vector<Complex>& turns = Turns();
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const Complex* stage = turns.data() + len / 2 - 1;
#if defined(__x86_64__)
        if (kCanPair && len >= 4) {
            Stage2<inverse>(a.data(), n, len, stage);
            continue;
        }
#endif
        Stage<inverse>(a.data(), n, len, stage);
    }
}

}  // namespace

void Scatter(std::span<const double> re, std::span<const double> im, std::span<Complex> out) {
    const std::vector<std::uint32_t>& reversed = Reversed();
    const std::size_t n = out.size();
    const int bits = std::countr_zero(n);
    const int shift = std::countr_zero(kTransformMax);
    if (bits < 2 * kTile) {
        for (std::size_t j = 0; j < n; ++j) {
            const std::uint32_t i = reversed[j] >> (shift - bits);
            out[j] = Complex(re[i], im[i]);
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
                row[c] = Complex(re[i], im[i]);
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
