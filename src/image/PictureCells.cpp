#include "image/PictureCells.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rastel::core::pictures {

namespace {

using Lanes = std::array<std::uint32_t, 16>;

// Elements far apart: multiples of 48, so that each place in an element of 1 to 4 bytes meets
// itself, and two of them, since one may be a whole number of rows and find them alike.
constexpr std::int64_t kFar[] = {1776, 1392};
// Neighbouring elements of pictures differ by a tenth to a third of what far ones do (a
// deep-sky photograph up to 0.47); machine code by two thirds or more, text and compressed
// bytes by as much.
constexpr double kSmooth = 0.4;
// A place whose far elements differ by less than this many levels is constant, a field of
// zeros or an alpha that is all opaque: it says nothing.
constexpr double kVaries = 2;

// lanes[k] += the sum over j < vectors of |a[16 j + k] - b[16 j + k]|; vectors at most 256, so
// that 16-bit sums cannot overflow.
void AddDistances(const std::uint8_t* a, const std::uint8_t* b, std::int64_t vectors,
                  Lanes& lanes) {
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
    std::uint16_t sums[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + 8), hi);
    for (std::size_t k = 0; k < 16; ++k) {
        lanes[k] += sums[k];
    }
#else
    for (std::int64_t j = 0; j < vectors; ++j) {
        for (std::size_t k = 0; k < 16; ++k) {
            lanes[k] += static_cast<std::uint32_t>(std::abs(a[16 * j + k] - b[16 * j + k]));
        }
    }
#endif
}

// The mean of the lanes of place p in an element of e bytes; e 3 mixes every lane, as 16
// bytes hold no whole number of its elements.
double PlaceMean(const Lanes& lanes, std::int64_t vectors, int e, int p) {
    double sum = 0;
    int used = 0;
    for (int k = 0; k < 16; ++k) {
        if (e == 3 || k % e == p) {
            sum += lanes[static_cast<std::size_t>(k)];
            ++used;
        }
    }
    return vectors > 0 ? sum / static_cast<double>(vectors * used) : 0;
}

}  // namespace

bool SmoothCell(const std::uint8_t* p, std::int64_t n) {
    constexpr int kLags = 4;
    const std::int64_t vectors = std::min<std::int64_t>(n, kCell) / 16 - 1;  // from byte 16 on
    if (vectors < 1) {
        return false;
    }
    std::array<Lanes, kLags> nearLanes{};
    for (int lag = 1; lag <= kLags; ++lag) {
        AddDistances(p + 16, p + 16 - lag, vectors, nearLanes[static_cast<std::size_t>(lag - 1)]);
    }
    std::array<Lanes, std::size(kFar)> farLanes{};
    std::array<std::int64_t, std::size(kFar)> farVectors{};
    for (std::size_t f = 0; f < std::size(kFar); ++f) {
        farVectors[f] = std::max<std::int64_t>(0, (std::min(n, kCell) - kFar[f]) / 16);
        AddDistances(p, p + kFar[f], farVectors[f], farLanes[f]);
    }
    for (int e = 1; e <= kLags; ++e) {
        for (int place = 0; place < (e == 3 ? 1 : e); ++place) {
            double far = 0;
            for (std::size_t f = 0; f < std::size(kFar); ++f) {
                far = std::max(far, PlaceMean(farLanes[f], farVectors[f], e, place));
            }
            const double near =
                PlaceMean(nearLanes[static_cast<std::size_t>(e - 1)], vectors, e, place);
            if (far >= kVaries && near < kSmooth * far) {
                return true;
            }
        }
    }
    return false;
}

SmoothCells::SmoothCells(std::int64_t size)
    : mSize(std::max<std::int64_t>(0, size)),
      mSmooth(static_cast<std::size_t>((mSize + kCell - 1) / kCell), 0) {
    mPartial.reserve(static_cast<std::size_t>(kCell));
}

void SmoothCells::Feed(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    std::int64_t n = std::min(std::ssize(bytes), mSize - mFed);
    while (n > 0) {
        const std::int64_t cell = mFed / kCell;
        const std::int64_t length = std::min(kCell, mSize - cell * kCell);
        const std::int64_t have = mFed - cell * kCell;
        const std::int64_t take = std::min(n, length - have);
        const std::uint8_t* whole = p;
        if (have > 0 || take < length) {  // a cell cut by a piece's end: gathered first
            const std::size_t at = mPartial.size();
            mPartial.resize(at + static_cast<std::size_t>(take));
            std::memcpy(mPartial.data() + at, p, static_cast<std::size_t>(take));
            whole = std::ssize(mPartial) == length ? mPartial.data() : nullptr;
        }
        if (whole != nullptr) {
            mSmooth[static_cast<std::size_t>(cell)] = SmoothCell(whole, length) ? 1 : 0;
            mPartial.clear();
        }
        p += take;
        n -= take;
        mFed += take;
    }
}

}  // namespace rastel::core::pictures
