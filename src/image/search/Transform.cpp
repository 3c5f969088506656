#include "image/search/Transform.h"

#include <bit>
#include <numbers>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace rastel::core::widths {

namespace {

// The turns of every stage of the longest transform, one stage after the other: stage len
// (2, 4, .. n) holds exp(-2 pi i k / len), k < len / 2, from index len / 2 - 1 on. Stage len
// of a transform holds the same turns whatever its length, so these serve every length.
// Single precision takes them rounded from the double ones.
template <typename Real>
const std::vector<std::complex<Real>>& Turns() {
    static const std::vector<std::complex<Real>> turns = [] {
        std::vector<std::complex<Real>> t;
        t.reserve(kTransformMax);
        for (std::size_t len = 2; len <= kTransformMax; len <<= 1) {
            for (std::size_t k = 0; k < len / 2; ++k) {
                const Complex turn = std::polar(
                    1.0, -2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(len));
                t.emplace_back(static_cast<Real>(turn.real()), static_cast<Real>(turn.imag()));
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
template <bool inverse, typename Real>
void Butterfly(std::complex<Real>* lo, std::complex<Real>* hi, std::complex<Real> t) {
#if defined(__SSE2__)
    if constexpr (std::is_same_v<Real, double>) {
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
        return;
    }
#endif
    const Real tr = t.real();
    const Real ti = inverse ? -t.imag() : t.imag();
    const std::complex<Real> v(hi->real() * tr - hi->imag() * ti,
                               hi->real() * ti + hi->imag() * tr);
    *hi = *lo - v;
    *lo += v;
}

template <bool inverse, typename Real>
void Stage(std::complex<Real>* a, std::size_t n, std::size_t len, const std::complex<Real>* turns) {
    for (std::size_t i = 0; i < n; i += len) {
        for (std::size_t k = 0; k < len / 2; ++k) {
            Butterfly<inverse>(a + i + k, a + i + len / 2 + k, turns[k]);
        }
    }
}

#if defined(__x86_64__)
#define RASTEL_AVX2 __attribute__((target("avx2"), always_inline)) inline

// Vectors of butterflies' values, as many as a 256-bit register holds: two in double
// precision, four in single.
template <typename Real>
struct Pack;

template <>
struct Pack<double> {
    using V = __m256d;
    static constexpr std::size_t kReals = 4;
    static RASTEL_AVX2 V Load(const double* p) { return _mm256_loadu_pd(p); }
    static RASTEL_AVX2 void Store(double* p, V v) { _mm256_storeu_pd(p, v); }
    static RASTEL_AVX2 V Add(V a, V b) { return _mm256_add_pd(a, b); }
    static RASTEL_AVX2 V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
    // Each butterfly's product h times t (t's conjugate for the inverse), lane by lane as
    // Butterfly computes one.
    template <bool inverse>
    static RASTEL_AVX2 V Times(V h, V t) {
        const V sign =
            inverse ? _mm256_set_pd(-0.0, 0.0, -0.0, 0.0) : _mm256_set_pd(0.0, -0.0, 0.0, -0.0);
        const V x = _mm256_mul_pd(h, _mm256_movedup_pd(t));
        const V y = _mm256_mul_pd(_mm256_permute_pd(h, 0b0101), _mm256_permute_pd(t, 0b1111));
        return _mm256_add_pd(x, _mm256_xor_pd(y, sign));
    }
};

template <>
struct Pack<float> {
    using V = __m256;
    static constexpr std::size_t kReals = 8;
    static RASTEL_AVX2 V Load(const float* p) { return _mm256_loadu_ps(p); }
    static RASTEL_AVX2 void Store(float* p, V v) { _mm256_storeu_ps(p, v); }
    static RASTEL_AVX2 V Add(V a, V b) { return _mm256_add_ps(a, b); }
    static RASTEL_AVX2 V Sub(V a, V b) { return _mm256_sub_ps(a, b); }
    template <bool inverse>
    static RASTEL_AVX2 V Times(V h, V t) {
        const V sign = inverse ? _mm256_set_ps(-0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f)
                               : _mm256_set_ps(0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f);
        const V x = _mm256_mul_ps(h, _mm256_moveldup_ps(t));
        const V y = _mm256_mul_ps(_mm256_permute_ps(h, 0b10110001), _mm256_movehdup_ps(t));
        return _mm256_add_ps(x, _mm256_xor_ps(y, sign));
    }
};

// A stage of len at least 2 Pack's butterflies, that many at a time: the same products and
// sums as Butterfly's, lane by lane.
template <bool inverse, typename Real>
__attribute__((target("avx2"))) void Stage2(std::complex<Real>* a, std::size_t n, std::size_t len,
                                            const std::complex<Real>* turns) {
    using P = Pack<Real>;
    for (std::size_t i = 0; i < n; i += len) {
        auto* lp = reinterpret_cast<Real*>(a + i);
        auto* hp = reinterpret_cast<Real*>(a + i + len / 2);
        const auto* tp = reinterpret_cast<const Real*>(turns);
        for (std::size_t k = 0; k < len; k += P::kReals) {  // k counts reals
            const auto v = P::template Times<inverse>(P::Load(hp + k), P::Load(tp + k));
            const auto l = P::Load(lp + k);
            P::Store(hp + k, P::Sub(l, v));
            P::Store(lp + k, P::Add(l, v));
        }
    }
}

// Stages len and 2 len (len as for Stage2) in one pass over the points: each value is loaded
// and stored once for both, and goes through the same butterflies as in two passes.
template <bool inverse, typename Real>
__attribute__((target("avx2"))) void Stage4(std::complex<Real>* a, std::size_t n, std::size_t len,
                                            const std::complex<Real>* turns,
                                            const std::complex<Real>* next) {
    using P = Pack<Real>;
    const std::size_t q = len;  // a quarter of the group of 2 len, in reals
    for (std::size_t i = 0; i < n; i += 2 * len) {
        auto* p = reinterpret_cast<Real*>(a + i);
        const auto* t1 = reinterpret_cast<const Real*>(turns);
        const auto* t2 = reinterpret_cast<const Real*>(next);
        for (std::size_t k = 0; k < q; k += P::kReals) {
            auto w = P::Load(p + k);
            auto x = P::Load(p + q + k);
            auto y = P::Load(p + 2 * q + k);
            auto z = P::Load(p + 3 * q + k);
            const auto t = P::Load(t1 + k);
            const auto vx = P::template Times<inverse>(x, t);
            const auto vz = P::template Times<inverse>(z, t);
            x = P::Sub(w, vx);
            w = P::Add(w, vx);
            z = P::Sub(y, vz);
            y = P::Add(y, vz);
            const auto vy = P::template Times<inverse>(y, P::Load(t2 + k));
            const auto vz2 = P::template Times<inverse>(z, P::Load(t2 + q + k));
            P::Store(p + k, P::Add(w, vy));
            P::Store(p + 2 * q + k, P::Sub(w, vy));
            P::Store(p + q + k, P::Add(x, vz2));
            P::Store(p + 3 * q + k, P::Sub(x, vz2));
        }
    }
}

// The points of v (four in single precision) in the order given, each 0 to 3.
template <int p0, int p1, int p2, int p3>
RASTEL_AVX2 __m256 Points(__m256 v) {
    constexpr int order = p0 | p1 << 2 | p2 << 4 | p3 << 6;
    return _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(v), order));
}

// Stages 2 and 4 in single precision, a group of four points a vector: the points are moved
// so that each stage's butterflies lie side by side, and lo - v is taken as lo + (-v), which
// is the same number.
template <bool inverse>
__attribute__((target("avx2"))) void FirstStages(std::complex<float>* a, std::size_t n,
                                                 const std::complex<float>* turns) {
    using P = Pack<float>;
    const auto* t = reinterpret_cast<const double*>(turns);  // a turn is the size of a double
    const __m256 t2 = _mm256_castpd_ps(_mm256_broadcast_sd(t));
    const __m256 t4 =
        _mm256_castpd_ps(_mm256_broadcast_pd(reinterpret_cast<const __m128d*>(t + 1)));
    // Points 1 and 3, and points 2 and 3, negated.
    const __m256 odd = _mm256_set_ps(-0.0f, -0.0f, 0.0f, 0.0f, -0.0f, -0.0f, 0.0f, 0.0f);
    const __m256 upper = _mm256_set_ps(-0.0f, -0.0f, -0.0f, -0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    for (std::size_t i = 0; i < n; i += 4) {
        auto* p = reinterpret_cast<float*>(a + i);
        // Stage 2 pairs point 0 with 1 and 2 with 3, stage 4 0 with 2 and 1 with 3.
        const __m256 x = P::Load(p);
        const __m256 vx = P::Times<inverse>(Points<1, 1, 3, 3>(x), t2);
        const __m256 y = P::Add(Points<0, 0, 2, 2>(x), _mm256_xor_ps(vx, odd));
        const __m256 vy = P::Times<inverse>(Points<2, 3, 2, 3>(y), t4);
        P::Store(p, P::Add(Points<0, 1, 0, 1>(y), _mm256_xor_ps(vy, upper)));
    }
}

const bool kCanPair = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
#endif

// Stages len = first, 2 first, .. last over the n points at a.
template <bool inverse, typename Real>
void Stages(std::complex<Real>* a, std::size_t n, std::size_t first, std::size_t last) {
    const std::vector<std::complex<Real>>& turns = Turns<Real>();
    for (std::size_t len = first; len <= last; len <<= 1) {
        const std::complex<Real>* stage = turns.data() + len / 2 - 1;
#if defined(__x86_64__)
        // A vector's butterflies in each half of a group.
        constexpr std::size_t kWide = Pack<Real>::kReals;
        if constexpr (std::is_same_v<Real, float>) {
            if (kCanPair && len == 2 && last >= 4) {
                FirstStages<inverse>(a, n, turns.data());
                len <<= 1;
                continue;
            }
        }
        if (kCanPair && len >= kWide && 2 * len <= last) {
            Stage4<inverse>(a, n, len, stage, turns.data() + len - 1);
            len <<= 1;
            continue;
        }
        if (kCanPair && len >= kWide) {
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

template <bool inverse, typename Real>
void Run(std::span<std::complex<Real>> a) {
    const std::size_t n = a.size();
    const std::size_t local = std::min(n, kLocal);
    for (std::size_t g = 0; g < n; g += local) {
        Stages<inverse>(a.data() + g, local, 2, local);
    }
    Stages<inverse>(a.data(), n, 2 * local, n);
}

// Value i of a transform's input: 0 past those given.
template <typename In>
inline In At(std::span<const In> v, std::size_t i) {
    return i < v.size() ? v[i] : In{0};
}

template <typename In, typename Real>
void ScatterAs(std::span<const In> re, std::span<const In> im, std::span<std::complex<Real>> out) {
    const std::vector<std::uint32_t>& reversed = Reversed();
    const std::size_t n = out.size();
    const int bits = std::countr_zero(n);
    const int shift = std::countr_zero(kTransformMax);
    if (bits < 2 * kTile) {
        for (std::size_t j = 0; j < n; ++j) {
            const std::uint32_t i = reversed[j] >> (shift - bits);
            out[j] = {static_cast<Real>(At(re, i)), static_cast<Real>(At(im, i))};
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
            std::complex<Real>* row = out.data() + (a << high) + (b << kTile);
            for (std::size_t c = 0; c < kSide; ++c) {
                const std::size_t i = (std::size_t{flip[c]} << high) + rb + flip[a];
                row[c] = {static_cast<Real>(At(re, i)), static_cast<Real>(At(im, i))};
            }
        }
    }
}

// power[k] += (|z[k]|^2 + |z[n - k]|^2) / 2 for k in [from, to), z[n] being z[0].
template <typename Real>
void AddPowersFrom(const std::complex<Real>* z, Real* power, std::size_t n, std::size_t from,
                   std::size_t to) {
    const auto norm = [](std::complex<Real> v) {
        return v.real() * v.real() + v.imag() * v.imag();
    };
    for (std::size_t k = from; k < to; ++k) {
        power[k] += (norm(z[k]) + norm(z[k == 0 ? 0 : n - k])) / 2;
    }
}

#if defined(__x86_64__)
// The norms of the eight points at at, in their order.
RASTEL_AVX2 __m256 Norms(const ComplexSingle* at) {
    const auto* f = reinterpret_cast<const float*>(at);
    const __m256 a = _mm256_loadu_ps(f);
    const __m256 b = _mm256_loadu_ps(f + 8);
    // re^2 + im^2 of points 0 1 4 5 | 2 3 6 7, put in order.
    const __m256 sums = _mm256_hadd_ps(_mm256_mul_ps(a, a), _mm256_mul_ps(b, b));
    return _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(sums), 0b11011000));
}

// AddPowersFrom in single precision over [1, 1 + 8 m), eight points a step: the same products
// and sums, lane by lane.
__attribute__((target("avx2"))) void AddPowersWide(const ComplexSingle* z, float* power,
                                                   std::size_t n, std::size_t m) {
    const __m256i reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    const __m256 half = _mm256_set1_ps(0.5f);
    for (std::size_t k = 1; k < 1 + 8 * m; k += 8) {
        const __m256 mirror = _mm256_permutevar8x32_ps(Norms(z + n - k - 7), reverse);
        const __m256 sum = _mm256_mul_ps(_mm256_add_ps(Norms(z + k), mirror), half);
        _mm256_storeu_ps(power + k, _mm256_add_ps(_mm256_loadu_ps(power + k), sum));
    }
}
#undef RASTEL_AVX2
#endif

}  // namespace

void AddPowers(std::span<const Complex> z, std::span<double> power) {
    AddPowersFrom(z.data(), power.data(), z.size(), 0, z.size());
}

void AddPowers(std::span<const ComplexSingle> z, std::span<float> power) {
    const std::size_t n = z.size();
    std::size_t from = 0;
#if defined(__x86_64__)
    if (kCanPair && n > 8) {
        const std::size_t m = (n - 1) / 8;
        AddPowersFrom(z.data(), power.data(), n, 0, 1);
        AddPowersWide(z.data(), power.data(), n, m);
        from = 1 + 8 * m;
    }
#endif
    AddPowersFrom(z.data(), power.data(), n, from, n);
}

void Scatter(std::span<const double> re, std::span<const double> im, std::span<Complex> out) {
    ScatterAs<double, double>(re, im, out);
}

void Scatter(std::span<const double> re, std::span<const double> im, std::span<ComplexSingle> out) {
    ScatterAs<double, float>(re, im, out);
}

void Scatter(std::span<const float> re, std::span<const float> im, std::span<ComplexSingle> out) {
    ScatterAs<float, float>(re, im, out);
}

void Forward(std::span<Complex> a) {
    Run<false>(a);
}

void Forward(std::span<ComplexSingle> a) {
    Run<false>(a);
}

void Inverse(std::span<Complex> a) {
    Run<true>(a);
}

void Inverse(std::span<ComplexSingle> a) {
    Run<true>(a);
}

}  // namespace rastel::core::widths
