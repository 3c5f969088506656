#include "image/pixels/RunKernels.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rastel::modBITMAPinfo::kernels {

namespace {

using Bytes = const std::uint8_t*;

// For each byte, its two nibbles as two pixels: high first (order 0) or low first.
template <bool kHighFirst>
constexpr std::array<std::array<std::uint8_t, 2>, 256> NibbleTable() {
    std::array<std::array<std::uint8_t, 2>, 256> t{};
    for (int b = 0; b < 256; ++b) {
        const auto hi = static_cast<std::uint8_t>(b >> 4);
        const auto lo = static_cast<std::uint8_t>(b & 0x0F);
        t[b] =
            kHighFirst ? std::array<std::uint8_t, 2>{hi, lo} : std::array<std::uint8_t, 2>{lo, hi};
    }
    return t;
}

// For each byte, its eight bits as eight pixels: most significant first (order 0) or least.
template <bool kMsbFirst>
constexpr std::array<std::array<std::uint8_t, 8>, 256> BitTable() {
    std::array<std::array<std::uint8_t, 8>, 256> t{};
    for (int b = 0; b < 256; ++b) {
        for (int i = 0; i < 8; ++i) {
            t[b][i] = static_cast<std::uint8_t>((b >> (kMsbFirst ? 7 - i : i)) & 1);
        }
    }
    return t;
}

constexpr auto kHighFirst = NibbleTable<true>();
constexpr auto kLowFirst = NibbleTable<false>();
constexpr auto kMsbFirst = BitTable<true>();
constexpr auto kLsbFirst = BitTable<false>();

void Copy(Bytes in, std::int64_t groups, std::uint8_t* out) {
    std::memcpy(out, in, groups);
}

void SwapPairs(Bytes in, std::int64_t groups, std::uint8_t* out) {
    std::int64_t i = 0;
    const std::int64_t n = groups * 2;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i s = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), s);
    }
#endif
    for (; i < n; i += 2) {
        out[i] = in[i + 1];
        out[i + 1] = in[i];
    }
}

void ReverseQuads(Bytes in, std::int64_t groups, std::uint8_t* out) {
    std::int64_t i = 0;
    const std::int64_t n = groups * 4;
#if defined(__SSE2__)
    constexpr int kSwapHalves = _MM_SHUFFLE(2, 3, 0, 1);
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        __m128i s = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
        s = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, kSwapHalves), kSwapHalves);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), s);
    }
#endif
    for (; i < n; i += 4) {
        out[i] = in[i + 3];
        out[i + 1] = in[i + 2];
        out[i + 2] = in[i + 1];
        out[i + 3] = in[i];
    }
}

#if defined(__SSE2__)
// Expands 16 bytes into 32 nibble pixels, each byte's first and second nibble in turn.
inline void SplitNibbles(__m128i v, bool highFirst, std::uint8_t* out) {
    const __m128i mask = _mm_set1_epi8(0x0F);
    const __m128i hi = _mm_and_si128(_mm_srli_epi16(v, 4), mask);
    const __m128i lo = _mm_and_si128(v, mask);
    const __m128i a = highFirst ? hi : lo;
    const __m128i b = highFirst ? lo : hi;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(a, b));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(a, b));
}
#endif

template <bool kHigh>
void Nibbles(Bytes in, std::int64_t groups, std::uint8_t* out) {
    std::int64_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= groups; i += 16) {
        SplitNibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)), kHigh, out + 2 * i);
    }
#endif
    const auto& table = kHigh ? kHighFirst : kLowFirst;
    for (; i < groups; ++i) {
        std::memcpy(out + 2 * i, table[in[i]].data(), 2);
    }
}

// Each pair of bytes gives the second byte's low and high nibble, then the first byte's.
void NibblesReversed(Bytes in, std::int64_t groups, std::uint8_t* out) {
    std::int64_t i = 0;
    const std::int64_t n = groups * 2;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        SplitNibbles(_mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8)), false, out + 2 * i);
    }
#endif
    for (; i < n; i += 2) {
        std::memcpy(out + 2 * i, kLowFirst[in[i + 1]].data(), 2);
        std::memcpy(out + 2 * i + 2, kLowFirst[in[i]].data(), 2);
    }
}

template <bool kMsb>
void Bits(Bytes in, std::int64_t groups, std::uint8_t* out) {
    const auto& table = kMsb ? kMsbFirst : kLsbFirst;
    for (std::int64_t i = 0; i < groups; ++i) {
        std::memcpy(out + 8 * i, table[in[i]].data(), 8);
    }
}

constexpr Kernel k256[] = {{1, 1, Copy}, {2, 2, SwapPairs}, {4, 4, ReverseQuads}};
constexpr Kernel k16[] = {{2, 1, Nibbles<true>}, {2, 1, Nibbles<false>}, {4, 2, NibblesReversed}};
constexpr Kernel k2[] = {{8, 1, Bits<true>}, {8, 1, Bits<false>}};

}  // namespace

const Kernel* Find(std::int32_t depth, std::int32_t order) {
    auto pick = [order](const auto& list) -> const Kernel* {
        const auto n = static_cast<std::int32_t>(std::size(list));
        return order >= 0 && order < n ? &list[order] : nullptr;
    };
    switch (depth) {
        case 0:
            return pick(k256);
        case 1:
            return pick(k16);
        case 2:
            return pick(k2);
        default:
            return nullptr;
    }
}

}  // namespace rastel::modBITMAPinfo::kernels
