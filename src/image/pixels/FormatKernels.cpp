#include "image/pixels/FormatKernels.h"

#include <array>
#include <cstring>
#include <mutex>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define RASTEL_SHUFFLE 1
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rastel::core::formatKernels {

namespace {

using Bytes = const std::uint8_t*;

void Put32(std::uint8_t* out, std::uint32_t v) {
    std::memcpy(out, &v, 4);
}

// The byte of a pixel, counted from its first, that holds a channel's high 8 bits (the whole
// channel but for 16-bit ones).
int ByteIndex(const PixelFormat& f, BitField field) {
    const int high = (field.shift + field.bits - 8) / 8;
    return f.bigEndian ? f.bytes - 1 - high : high;
}

std::uint32_t Number16(const PixelFormat& f, Bytes p) {
    return f.bigEndian ? std::uint32_t{p[0]} << 8 | p[1] : p[0] | std::uint32_t{p[1]} << 8;
}

// Formats whose channels are whole bytes: each output byte is an input byte or a constant.
// Where the processor shuffles bytes, four pixels a step through a mask built from the table.
struct ByteLayout {
    int bytes;
    int blue, green, red, alpha;  // byte of the pixel; alpha -1 when opaque
};

ByteLayout BytesOf(const PixelFormat& f) {
    const bool alpha = f.fields[3].bits != 0;
    return {f.bytes, ByteIndex(f, f.fields[2]), ByteIndex(f, f.fields[1]),
            ByteIndex(f, f.fields[0]), alpha ? ByteIndex(f, f.fields[3]) : -1};
}

#ifdef RASTEL_SHUFFLE
// Four pixels of up to 4 bytes a step, or two of 6 or 8 (the high bytes of 16-bit channels):
// as many as a 16-byte load holds.
__attribute__((target("ssse3"))) std::int64_t ShuffleBytes(const ByteLayout& l, Bytes in,
                                                           std::int64_t count, std::uint8_t* out) {
    const int perStep = l.bytes <= 4 ? 4 : 16 / l.bytes;
    alignas(16) std::array<std::int8_t, 16> mask;
    mask.fill(-128);
    for (int k = 0; k < perStep; ++k) {
        const int from = k * l.bytes;
        mask[4 * k] = static_cast<std::int8_t>(from + l.blue);
        mask[4 * k + 1] = static_cast<std::int8_t>(from + l.green);
        mask[4 * k + 2] = static_cast<std::int8_t>(from + l.red);
        mask[4 * k + 3] = static_cast<std::int8_t>(l.alpha < 0 ? -128 : from + l.alpha);
    }
    const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(mask.data()));
    const __m128i opaque = _mm_set1_epi32(l.alpha < 0 ? static_cast<int>(0xFF000000u) : 0);
    if (count * l.bytes < 16) {
        return 0;
    }
    // Each step loads 16 bytes: the steps stop where that would read past the pixels.
    const std::int64_t step = perStep * l.bytes;
    const std::int64_t steps = (count * l.bytes - 16) / step + 1;
    for (std::int64_t s = 0; s < steps; ++s) {
        const __m128i v = _mm_or_si128(
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + s * step)),
                             shuffle),
            opaque);
        if (perStep == 4) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * s), v);
        } else {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 8 * s), v);
        }
    }
    return perStep * steps;
}

// Four pixels a step; the 16 bytes each step loads and stores stay inside the pixels.
__attribute__((target("ssse3"))) std::int64_t PickSteps(Bytes in, int inBytes,
                                                        const std::array<std::int8_t, 4>& from,
                                                        int outBytes, std::int64_t count,
                                                        std::uint8_t* out) {
    if (count * inBytes < 16 || count * outBytes < 16 || inBytes > 4 || outBytes > 4) {
        return 0;
    }
    alignas(16) std::array<std::int8_t, 16> mask;
    mask.fill(-128);
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < outBytes; ++c) {
            mask[k * outBytes + c] = static_cast<std::int8_t>(k * inBytes + from[c]);
        }
    }
    const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(mask.data()));
    const std::int64_t inStep = 4 * inBytes, outStep = 4 * outBytes;
    const std::int64_t steps =
        std::min((count * inBytes - 16) / inStep, (count * outBytes - 16) / outStep) + 1;
    for (std::int64_t s = 0; s < steps; ++s) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + s * inStep));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + s * outStep),
                         _mm_shuffle_epi8(v, shuffle));
    }
    return 4 * steps;
}

// Set before main: the processor's features are looked up first, whatever runs before us.
const bool kCanShuffle = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
#endif

void DecodeBytes(const PixelFormat& f, Bytes in, std::int64_t count, std::uint8_t* out) {
    const ByteLayout l = BytesOf(f);
    std::int64_t i = 0;
#ifdef RASTEL_SHUFFLE
    if (kCanShuffle) {
        i = ShuffleBytes(l, in, count, out);
    }
#endif
    for (; i < count; ++i) {
        const Bytes p = in + i * l.bytes;
        const std::uint32_t a = l.alpha < 0 ? 0xFF : p[l.alpha];
        Put32(out + 4 * i,
              a << 24 | std::uint32_t{p[l.red]} << 16 | std::uint32_t{p[l.green]} << 8 | p[l.blue]);
    }
}

// Every pair of bytes' colour, worked out once per format from its fields: a lookup a pixel,
// indexed by the two bytes as this machine loads them, so byte order costs nothing.
const std::uint32_t* ColoursOf(const PixelFormat& f) {
    static std::array<std::vector<std::uint32_t>, kFormats.size()> tables;
    static std::array<std::once_flag, kFormats.size()> built;
    const auto i = static_cast<std::size_t>(&f - kFormats.data());
    std::call_once(built[i], [&] {
        const BitField r = f.fields[0], g = f.fields[1], b = f.fields[2];
        tables[i].resize(65536);
        for (std::uint32_t raw = 0; raw < 65536; ++raw) {
            const auto bytes = static_cast<std::uint16_t>(raw);
            std::uint8_t p[2];
            std::memcpy(p, &bytes, 2);
            const std::uint32_t v = Number16(f, p);
            tables[i][raw] = 0xFF000000u | Widen(r.Of(v), r.bits) << 16 |
                             Widen(g.Of(v), g.bits) << 8 | Widen(b.Of(v), b.bits);
        }
    });
    return tables[i].data();
}

void DecodePacked16(const PixelFormat& f, Bytes in, std::int64_t count, std::uint8_t* out) {
    const std::uint32_t* colours = ColoursOf(f);
    for (std::int64_t i = 0; i < count; ++i) {
        std::uint16_t raw;
        std::memcpy(&raw, in + 2 * i, 2);
        Put32(out + 4 * i, colours[raw]);
    }
}

#if defined(__SSE2__)
// Eight 16-bit numbers, swapped into this machine's order when stored big-endian.
__m128i Load16(Bytes p, bool big) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return big ? _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8)) : v;
}
#endif

// The bits of a grey number that are its value: the low 10 or 12 of them, or all 16.
std::uint16_t ValueMask(const PixelFormat& f) {
    return static_cast<std::uint16_t>((std::uint32_t{1} << f.fields[0].bits) - 1);
}

void DecodeGray16(const PixelFormat& f, Bytes in, std::int64_t count, std::uint8_t* out) {
    const std::uint16_t mask = ValueMask(f);
    std::int64_t i = 0;
#if defined(__SSE2__)
    const __m128i masks = _mm_set1_epi16(static_cast<std::int16_t>(mask));
    for (; i + 8 <= count; i += 8) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i),
                         _mm_and_si128(Load16(in + 2 * i, f.bigEndian), masks));
    }
#endif
    for (; i < count; ++i) {
        const auto v = static_cast<std::uint16_t>(Number16(f, in + 2 * i) & mask);
        std::memcpy(out + 2 * i, &v, 2);
    }
}

#ifdef RASTEL_SHUFFLE
// The colours of eight pixels from their Y, U and V in 32-bit lanes, four a register: the plain
// arithmetic on four pixels at once; packing with saturation holds the levels to 0..255 as the
// plain rule does.
__attribute__((target("sse4.1"))) void StoreYuv(const __m128i (&ys)[2], const __m128i (&us)[2],
                                                const __m128i (&vs)[2], std::uint8_t* out) {
    const __m128i y16 = _mm_set1_epi32(16), c128 = _mm_set1_epi32(128);
    const __m128i half = _mm_set1_epi32(1 << (kYuvBits - 1));
    const __m128i alpha = _mm_set1_epi16(255);
    __m128i r[2], g[2], b[2];
    for (int h = 0; h < 2; ++h) {
        const __m128i luma = _mm_add_epi32(
            _mm_mullo_epi32(_mm_sub_epi32(ys[h], y16), _mm_set1_epi32(kYScale)), half);
        const __m128i cu = _mm_sub_epi32(us[h], c128);
        const __m128i cv = _mm_sub_epi32(vs[h], c128);
        r[h] = _mm_srai_epi32(_mm_add_epi32(luma, _mm_mullo_epi32(cv, _mm_set1_epi32(kRedV))),
                              kYuvBits);
        g[h] = _mm_srai_epi32(
            _mm_sub_epi32(_mm_sub_epi32(luma, _mm_mullo_epi32(cu, _mm_set1_epi32(kGreenU))),
                          _mm_mullo_epi32(cv, _mm_set1_epi32(kGreenV))),
            kYuvBits);
        b[h] = _mm_srai_epi32(_mm_add_epi32(luma, _mm_mullo_epi32(cu, _mm_set1_epi32(kBlueU))),
                              kYuvBits);
    }
    // Bytes B0..B7 G0..G7 and R0..R7 A0..A7, woven into B G R A per pixel.
    const __m128i bg = _mm_packus_epi16(_mm_packs_epi32(b[0], b[1]), _mm_packs_epi32(g[0], g[1]));
    const __m128i ra = _mm_packus_epi16(_mm_packs_epi32(r[0], r[1]), alpha);
    const __m128i bgPixels = _mm_unpacklo_epi8(bg, _mm_srli_si128(bg, 8));
    const __m128i raPixels = _mm_unpacklo_epi8(ra, _mm_srli_si128(ra, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bgPixels, raPixels));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(bgPixels, raPixels));
}

// Eight pixels a step, from four pairs, each channel gathered into 32-bit lanes by a mask built
// from the table.
__attribute__((target("sse4.1"))) std::int64_t YuvSteps(int y, int u, int v, Bytes pair,
                                                        std::int64_t count, std::uint8_t* out) {
    auto gather = [](int half, auto byteOf) {
        alignas(16) std::array<std::int8_t, 16> mask;
        mask.fill(-128);
        for (int k = 0; k < 4; ++k) {
            mask[4 * k] = static_cast<std::int8_t>(byteOf(4 * half + k));
        }
        return _mm_load_si128(reinterpret_cast<const __m128i*>(mask.data()));
    };
    __m128i ys[2], us[2], vs[2];
    for (int h = 0; h < 2; ++h) {
        ys[h] = gather(h, [y](int k) { return k / 2 * 4 + k % 2 * 2 + y; });
        us[h] = gather(h, [u](int k) { return k / 2 * 4 + u; });
        vs[h] = gather(h, [v](int k) { return k / 2 * 4 + v; });
    }
    std::int64_t i = 0;
    for (; i + 8 <= count; i += 8, pair += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pair));
        const __m128i y8[2] = {_mm_shuffle_epi8(in, ys[0]), _mm_shuffle_epi8(in, ys[1])};
        const __m128i u8[2] = {_mm_shuffle_epi8(in, us[0]), _mm_shuffle_epi8(in, us[1])};
        const __m128i v8[2] = {_mm_shuffle_epi8(in, vs[0]), _mm_shuffle_epi8(in, vs[1])};
        StoreYuv(y8, u8, v8, out + 4 * i);
    }
    return i;
}

// Eight bytes from p + i, in two registers of four 32-bit lanes.
__attribute__((target("sse4.1"))) void Lanes(Bytes p, std::int64_t i, __m128i (&out)[2]) {
    const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + i));
    out[0] = _mm_cvtepu8_epi32(eight);
    out[1] = _mm_cvtepu8_epi32(_mm_srli_si128(eight, 4));
}

// Eight pixels a step from three rows of bytes.
__attribute__((target("sse4.1"))) std::int64_t YuvArraySteps(Bytes y, Bytes u, Bytes v,
                                                             std::int64_t count,
                                                             std::uint8_t* out) {
    std::int64_t i = 0;
    for (; i + 8 <= count; i += 8) {
        __m128i y8[2], u8[2], v8[2];
        Lanes(y, i, y8);
        Lanes(u, i, u8);
        Lanes(v, i, v8);
        StoreYuv(y8, u8, v8, out + 4 * i);
    }
    return i;
}

const bool kCanYuvSteps = (__builtin_cpu_init(), __builtin_cpu_supports("sse4.1"));

#endif

}  // namespace

void YuvColours(Bytes y, Bytes u, Bytes v, std::int64_t count, std::uint8_t* out) {
    std::int64_t i = 0;
#ifdef RASTEL_SHUFFLE
    if (kCanYuvSteps) {
        i = YuvArraySteps(y, u, v, count, out);
    }
#endif
    for (; i < count; ++i) {
        Put32(out + 4 * i, Chroma(u[i], v[i]).Colour(y[i]));
    }
}

namespace {

void DecodeYuv(const PixelFormat& f, Bytes pair, int phase, std::int64_t count, std::uint8_t* out) {
    const int y = f.fields[0].shift / 8;
    const int u = f.fields[1].shift / 8;
    const int v = f.fields[2].shift / 8;
    std::int64_t i = 0;
    if (phase == 1 && count > 0) {
        Put32(out, Chroma(pair[u], pair[v]).Colour(pair[2 + y]));
        pair += 4;
        i = 1;
    }
#ifdef RASTEL_SHUFFLE
    if (kCanYuvSteps) {
        const std::int64_t steps = YuvSteps(y, u, v, pair, count - i, out + 4 * i);
        i += steps;
        pair += 2 * steps;
    }
#endif
    for (; i + 2 <= count; i += 2, pair += 4) {
        const Chroma c(pair[u], pair[v]);
        Put32(out + 4 * i, c.Colour(pair[y]));
        Put32(out + 4 * i + 4, c.Colour(pair[2 + y]));
    }
    if (i < count) {
        Put32(out + 4 * i, Chroma(pair[u], pair[v]).Colour(pair[y]));
    }
}

}  // namespace

std::optional<std::array<std::int8_t, 4>> ChannelBytes(const PixelFormat& f) {
    if ((f.family != FormatFamily::Opaque && f.family != FormatFamily::Alpha) || f.bytes < 3) {
        return std::nullopt;
    }
    const ByteLayout l = BytesOf(f);
    return std::array<std::int8_t, 4>{
        static_cast<std::int8_t>(l.red), static_cast<std::int8_t>(l.green),
        static_cast<std::int8_t>(l.blue), static_cast<std::int8_t>(l.alpha)};
}

void PickBytes(Bytes in, int inBytes, const std::array<std::int8_t, 4>& from, int outBytes,
               std::int64_t count, std::uint8_t* out) {
    std::int64_t i = 0;
#ifdef RASTEL_SHUFFLE
    if (kCanShuffle) {
        i = PickSteps(in, inBytes, from, outBytes, count, out);
    }
#endif
    for (; i < count; ++i) {
        for (int c = 0; c < outBytes; ++c) {
            out[i * outBytes + c] = in[i * inBytes + from[c]];
        }
    }
}

void Decode(const PixelFormat& f, Bytes in, int phase, std::int64_t count, std::uint8_t* out) {
    switch (f.family) {
        case FormatFamily::Gray16:
            return DecodeGray16(f, in, count, out);
        case FormatFamily::Yuv422:
            return DecodeYuv(f, in, phase, count, out);
        default:
            return f.bytes == 2 ? DecodePacked16(f, in, count, out)
                                : DecodeBytes(f, in, count, out);
    }
}

void AddGray16(const PixelFormat& f, Bytes in, std::int64_t count, std::uint16_t& lo,
               std::uint16_t& hi) {
    std::uint16_t l = lo, h = hi;
    const std::uint16_t mask = ValueMask(f);
    std::int64_t i = 0;
#if defined(__SSE2__)
    if (count >= 8) {
        // Unsigned order through signed compares: the top bit flipped on the way in and out.
        const __m128i flip = _mm_set1_epi16(-0x8000);
        const __m128i masks = _mm_set1_epi16(static_cast<std::int16_t>(mask));
        __m128i vl = _mm_set1_epi16(static_cast<std::int16_t>(l ^ 0x8000));
        __m128i vh = _mm_set1_epi16(static_cast<std::int16_t>(h ^ 0x8000));
        for (; i + 8 <= count; i += 8) {
            const __m128i v =
                _mm_xor_si128(_mm_and_si128(Load16(in + 2 * i, f.bigEndian), masks), flip);
            vl = _mm_min_epi16(vl, v);
            vh = _mm_max_epi16(vh, v);
        }
        std::array<std::uint16_t, 8> ls, hs;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(ls.data()), _mm_xor_si128(vl, flip));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(hs.data()), _mm_xor_si128(vh, flip));
        l = *std::min_element(ls.begin(), ls.end());
        h = *std::max_element(hs.begin(), hs.end());
    }
#endif
    for (; i < count; ++i) {
        const auto v = static_cast<std::uint16_t>(Number16(f, in + 2 * i) & mask);
        l = std::min(l, v);
        h = std::max(h, v);
    }
    lo = l;
    hi = h;
}

}  // namespace rastel::core::formatKernels
