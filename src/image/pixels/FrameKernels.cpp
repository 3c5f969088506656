#include "image/pixels/FrameKernels.h"

#include <algorithm>
#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define RASTEL_SHUFFLE 1
#endif

namespace rastel::core::formatKernels {

namespace {

using Bytes = const std::uint8_t*;

#ifdef RASTEL_SHUFFLE
// Set before main, as the other kernels' are.
const bool kSsse3 = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
const bool kSse41 = (__builtin_cpu_init(), __builtin_cpu_supports("sse4.1"));

// Four 16-bit samples from p, in 32-bit lanes.
__attribute__((target("sse4.1"))) __m128i Samples16(Bytes p) {
    return _mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

// As MosaicEight for 16-bit samples, four pixels a step in 32-bit lanes, which hold the sums
// whole: each mean's high 8 bits.
__attribute__((target("sse4.1"))) std::int64_t MosaicFour(Bytes row, std::int64_t rowBytes,
                                                          int even, int odd, std::int64_t x,
                                                          std::int64_t count, std::uint8_t* out) {
    const int rowOther = even == 1 ? odd : even;
    const int third = 2 - rowOther;
    const bool greenEven = (even == 1) == (x % 2 == 0);
    const __m128i green = greenEven ? _mm_set_epi32(0, -1, 0, -1) : _mm_set_epi32(-1, 0, -1, 0);
    std::int64_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const Bytes c = row + 2 * (x + i);
        const __m128i own = Samples16(c), left = Samples16(c - 2), right = Samples16(c + 2);
        const __m128i up = Samples16(c - rowBytes), down = Samples16(c + rowBytes);
        const __m128i diagonal =
            _mm_add_epi32(_mm_add_epi32(Samples16(c - rowBytes - 2), Samples16(c - rowBytes + 2)),
                          _mm_add_epi32(Samples16(c + rowBytes - 2), Samples16(c + rowBytes + 2)));
        const __m128i across = _mm_add_epi32(left, right), along = _mm_add_epi32(up, down);
        __m128i ch[3];
        ch[1] = _mm_blendv_epi8(_mm_srli_epi32(_mm_add_epi32(across, along), 10),
                                _mm_srli_epi32(own, 8), green);
        ch[rowOther] = _mm_blendv_epi8(_mm_srli_epi32(own, 8), _mm_srli_epi32(across, 9), green);
        ch[third] = _mm_blendv_epi8(_mm_srli_epi32(diagonal, 10), _mm_srli_epi32(along, 9), green);
        const __m128i pixels = _mm_or_si128(
            _mm_or_si128(ch[2], _mm_slli_epi32(ch[1], 8)),
            _mm_or_si128(_mm_slli_epi32(ch[0], 16), _mm_set1_epi32(static_cast<int>(0xFF000000u))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), pixels);
    }
    return i;
}

// Eight samples from p, in 16-bit lanes.
__attribute__((target("sse4.1"))) __m128i Samples(Bytes p) {
    return _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

// The plain rule's means on eight pixels at once, in 16-bit lanes: at a green site the row's
// two neighbours give the row's other colour and the column's two the third; elsewhere the
// four beside it give green and the four diagonal ones the third colour.
__attribute__((target("sse4.1"))) std::int64_t MosaicEight(Bytes row, std::int64_t rowBytes,
                                                           int even, int odd, std::int64_t x,
                                                           std::int64_t count, std::uint8_t* out) {
    const int rowOther = even == 1 ? odd : even;  // this row's colour that is not green
    const int third = 2 - rowOther;
    // Lanes whose column is green: x even puts even columns in lanes 0, 2, 4, 6.
    const bool greenEven = (even == 1) == (x % 2 == 0);
    const __m128i green =
        greenEven ? _mm_set1_epi32(0xFFFF) : _mm_set1_epi32(static_cast<int>(0xFFFF0000u));
    std::int64_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const Bytes c = row + x + i;
        const __m128i own = Samples(c), left = Samples(c - 1), right = Samples(c + 1);
        const __m128i up = Samples(c - rowBytes), down = Samples(c + rowBytes);
        const __m128i diagonal =
            _mm_add_epi16(_mm_add_epi16(Samples(c - rowBytes - 1), Samples(c - rowBytes + 1)),
                          _mm_add_epi16(Samples(c + rowBytes - 1), Samples(c + rowBytes + 1)));
        const __m128i across = _mm_add_epi16(left, right), along = _mm_add_epi16(up, down);
        __m128i ch[3];
        ch[1] = _mm_blendv_epi8(_mm_srli_epi16(_mm_add_epi16(across, along), 2), own, green);
        ch[rowOther] = _mm_blendv_epi8(own, _mm_srli_epi16(across, 1), green);
        ch[third] = _mm_blendv_epi8(_mm_srli_epi16(diagonal, 2), _mm_srli_epi16(along, 1), green);
        // Bytes B0..B7 G0..G7 and R0..R7 A0..A7, woven into B G R A per pixel.
        const __m128i bg = _mm_packus_epi16(ch[2], ch[1]);
        const __m128i ra = _mm_packus_epi16(ch[0], _mm_set1_epi16(255));
        const __m128i bgPixels = _mm_unpacklo_epi8(bg, _mm_srli_si128(bg, 8));
        const __m128i raPixels = _mm_unpacklo_epi8(ra, _mm_srli_si128(ra, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i),
                         _mm_unpacklo_epi16(bgPixels, raPixels));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i + 16),
                         _mm_unpackhi_epi16(bgPixels, raPixels));
    }
    return i;
}

// 16 levels a step from 8-bit samples, or 8 from 16-bit ones, gathered by a byte shuffle from
// one 16-byte load.
__attribute__((target("ssse3"))) std::int64_t ShuffleSpread(Bytes in, int bytes, int step, int h,
                                                            int shift, std::int64_t count,
                                                            std::int64_t readable,
                                                            std::uint8_t* out) {
    const int perStep = bytes == 1 ? 16 : 8;
    const int span = (perStep >> h) * step;  // the input bytes a step consumes
    if (span > 16 || step % bytes != 0) {
        return 0;
    }
    alignas(16) std::array<std::int8_t, 16> mask;
    for (int j = 0; j < 16; ++j) {
        const int k = bytes == 1 ? j : j / 2;  // the level this byte feeds
        mask[static_cast<std::size_t>(j)] =
            static_cast<std::int8_t>((k >> h) * step + (bytes == 1 ? 0 : j % 2));
    }
    const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(mask.data()));
    const __m128i low = _mm_set1_epi16(0xFF);
    const __m128i by = _mm_cvtsi32_si128(shift);
    std::int64_t i = 0;
    for (std::int64_t at = 0; i + perStep <= count && at + 16 <= readable;
         i += perStep, at += span) {
        const __m128i v =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at)), shuffle);
        if (bytes == 1) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
        } else {
            const __m128i levels = _mm_and_si128(_mm_srl_epi16(v, by), low);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(levels, levels));
        }
    }
    return i;
}
#endif

}  // namespace

std::int64_t MosaicSteps(Bytes row, int sampleBytes, std::int64_t rowBytes, int even, int odd,
                         std::int64_t x, std::int64_t count, std::uint8_t* out) {
#ifdef RASTEL_SHUFFLE
    if (kSse41 && (even == 1) != (odd == 1)) {
        return sampleBytes == 1 ? MosaicEight(row, rowBytes, even, odd, x, count, out)
                                : MosaicFour(row, rowBytes, even, odd, x, count, out);
    }
#endif
    return 0;
}

std::int64_t SpreadSteps(Bytes in, int bytes, int step, int h, int shift, std::int64_t count,
                         std::int64_t readable, std::uint8_t* out) {
#ifdef RASTEL_SHUFFLE
    if (kSsse3) {
        return ShuffleSpread(in, bytes, step, h, shift, count, readable, out);
    }
#endif
    return 0;
}

}  // namespace rastel::core::formatKernels
