#include "image/search/PictureCells.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace rastel::core::pictures {

namespace {

// Sums of differences by place in four bytes: byte k of the cell counts to place k % 4.
using Sums = std::array<std::uint32_t, 4>;

// Elements far apart: multiples of 48, so that each place in an element of 1 to 4 bytes meets
// itself, and two of them, since one may be a whole number of rows and find them alike.
constexpr std::int64_t kFar[] = {1776, 1392};
// A cell is judged by this many bytes of it, and as many far from them: a picture's bytes
// are alike all over a cell, and looking at a few of them keeps the pass near the speed of
// reading the file.
constexpr std::int64_t kCellLooked = 256;
// Neighbouring elements of pictures differ by a tenth to a third of what far ones do (a
// deep-sky photograph up to 0.47); machine code by two thirds or more, text and compressed
// bytes by as much.
constexpr double kSmooth = 0.4;
// A place whose far elements differ by less than this many levels is constant, a field of
// zeros or an alpha that is all opaque: it says nothing.
constexpr double kVaries = 2;

#if defined(__SSE2__)
// The 16-bit sums of bytes 0-7 and 8-15 of a vector, added by place: each widened to 32 bits
// (a pair of them may not fit 16), four places a lane.
__m128i PlaceSums(__m128i lo, __m128i hi) {
    const __m128i zero = _mm_setzero_si128();
    return _mm_add_epi32(_mm_add_epi32(_mm_unpacklo_epi16(lo, zero), _mm_unpackhi_epi16(lo, zero)),
                         _mm_add_epi32(_mm_unpacklo_epi16(hi, zero), _mm_unpackhi_epi16(hi, zero)));
}

void AddTo(Sums& sums, __m128i places) {
    alignas(16) std::uint32_t add[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(add), places);
    for (std::size_t p = 0; p < 4; ++p) {
        sums[p] += add[p];
    }
}
#endif

#if defined(__x86_64__)
// AddDistances for an even number of vectors, two a step: whole numbers, summed the same
// whatever the order.
__attribute__((target("avx2"))) void AddDistancesWide(const std::uint8_t* a, const std::uint8_t* b,
                                                      std::int64_t vectors, Sums& sums) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i lo = zero;
    __m256i hi = zero;
    for (std::int64_t j = 0; j < vectors; j += 2) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + 16 * j));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + 16 * j));
        const __m256i d = _mm256_or_si256(_mm256_subs_epu8(x, y), _mm256_subs_epu8(y, x));
        lo = _mm256_add_epi16(lo, _mm256_unpacklo_epi8(d, zero));
        hi = _mm256_add_epi16(hi, _mm256_unpackhi_epi8(d, zero));
    }
    // Each half holds the bytes of one vector of the pair.
    AddTo(sums, _mm_add_epi32(
                    PlaceSums(_mm256_castsi256_si128(lo), _mm256_castsi256_si128(hi)),
                    PlaceSums(_mm256_extracti128_si256(lo, 1), _mm256_extracti128_si256(hi, 1))));
}

const bool kCanWiden = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
#endif

// sums[k % 4] += the sum over j < vectors of |a[16 j + k] - b[16 j + k]|, k < 16; vectors at
// most 256, so that 16-bit sums cannot overflow.
void AddDistances(const std::uint8_t* a, const std::uint8_t* b, std::int64_t vectors, Sums& sums) {
#if defined(__x86_64__)
    if (kCanWiden) {  // the even part two vectors a step, an odd last one below
        const std::int64_t even = vectors / 2 * 2;
        AddDistancesWide(a, b, even, sums);
        a += 16 * even;
        b += 16 * even;
        vectors -= even;
    }
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i lo = zero;
    __m128i hi = zero;
    for (std::int64_t j = 0; j < vectors; ++j) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 16 * j));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 16 * j));
        const __m128i d = _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x));
        lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(d, zero));
        hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(d, zero));
    }
    AddTo(sums, PlaceSums(lo, hi));
#else
    for (std::int64_t j = 0; j < vectors; ++j) {
        for (std::size_t k = 0; k < 16; ++k) {
            sums[k % 4] += static_cast<std::uint32_t>(std::abs(a[16 * j + k] - b[16 * j + k]));
        }
    }
#endif
}

// The mean difference at place p in an element of e bytes; e 3 mixes every place, as 16 bytes
// hold no whole number of its elements.
double PlaceMean(const Sums& sums, std::int64_t vectors, int e, int p) {
    if (vectors <= 0) {
        return 0;
    }
    const auto at = [&sums](int i) {
        return static_cast<double>(sums[static_cast<std::size_t>(i)]);
    };
    const double sum = e == 4 ? at(p) : e == 2 ? at(p) + at(p + 2) : at(0) + at(1) + at(2) + at(3);
    return sum / static_cast<double>(vectors * (e == 4 ? 4 : e == 2 ? 8 : 16));
}

// The bytes of a cell SmoothCell looks at, asked for kAhead cells before it does: they lie in
// a few short runs of each page, which the processor does not foresee as it does a read
// straight through, and waiting for them would cost more than the arithmetic.
constexpr std::int64_t kAhead = 4;

void Prefetch(const std::uint8_t* cell) {
    for (std::int64_t at = 0; at < 16 + kCellLooked; at += 64) {
        __builtin_prefetch(cell + at);
    }
    for (const std::int64_t far : kFar) {
        for (std::int64_t at = far; at < far + kCellLooked + 64; at += 64) {
            __builtin_prefetch(cell + at);
        }
    }
}

}  // namespace

bool SmoothCell(const std::uint8_t* p, std::int64_t n) {
    constexpr int kLags = 4;
    n = std::min(n, kCell);
    // From byte 16 on, kCellLooked bytes at most.
    const std::int64_t vectors = std::min(n - 16, kCellLooked) / 16;
    if (vectors < 1) {
        return false;
    }
    std::array<Sums, kLags> nearSums{};
    for (int lag = 1; lag <= kLags; ++lag) {
        AddDistances(p + 16, p + 16 - lag, vectors, nearSums[static_cast<std::size_t>(lag - 1)]);
    }
    std::array<Sums, std::size(kFar)> farSums{};
    std::array<std::int64_t, std::size(kFar)> farVectors{};
    for (std::size_t f = 0; f < std::size(kFar); ++f) {
        farVectors[f] = std::clamp<std::int64_t>((n - kFar[f]) / 16, 0, kCellLooked / 16);
        AddDistances(p, p + kFar[f], farVectors[f], farSums[f]);
    }
    for (int e = 1; e <= kLags; ++e) {
        for (int place = 0; place < (e == 3 ? 1 : e); ++place) {
            double far = 0;
            for (std::size_t f = 0; f < std::size(kFar); ++f) {
                far = std::max(far, PlaceMean(farSums[f], farVectors[f], e, place));
            }
            const double near =
                PlaceMean(nearSums[static_cast<std::size_t>(e - 1)], vectors, e, place);
            if (far >= kVaries && near < kSmooth * far) {
                return true;
            }
        }
    }
    return false;
}

SmoothCells::SmoothCells(std::int64_t size)
    : mSize(std::max<std::int64_t>(0, size)),
      mSmooth(static_cast<std::size_t>((mSize + kCell - 1) / kCell), 0) {}

void SmoothCells::Judge(std::int64_t at, std::span<const std::uint8_t> bytes) {
    const std::int64_t n = std::min(std::ssize(bytes), mSize - at);
    for (std::int64_t from = 0; from < n; from += kCell) {
        if (from + kAhead * kCell + kCell <= n) {
            Prefetch(bytes.data() + from + kAhead * kCell);
        }
        mSmooth[static_cast<std::size_t>((at + from) / kCell)] =
            SmoothCell(bytes.data() + from, std::min(kCell, n - from)) ? 1 : 0;
    }
}

}  // namespace rastel::core::pictures
