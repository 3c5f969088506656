#include "image/WidthSampling.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "image/PixelDecoder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rastel::core::widths {

namespace {

using modBITMAPinfo::PixelsPerByte;
using Complex = std::complex<double>;

// An order takes a pixel's bits from at most this many bytes on from its own.
constexpr std::int64_t kOrderReach = 4;

// Blocks over pixels [first, first + pixels), first a multiple of kAlign: every pixel when
// they fit the sample, otherwise as many blocks as the shape has, from the first pixel to the
// last.
std::vector<Block> PlaceBlocks(std::int64_t first, std::int64_t pixels, const SampleShape& shape) {
    const std::int64_t block = shape.block();
    std::vector<Block> blocks;
    if (pixels <= block * shape.blocks) {
        for (std::int64_t s = 0; s < pixels; s += block) {
            blocks.push_back({first + s, std::min(block, pixels - s)});
        }
        return blocks;
    }
    for (int i = 0; i < shape.blocks; ++i) {
        const std::int64_t s = (pixels - block) / std::max(1, shape.blocks - 1) * i;
        blocks.push_back({first + s / kAlign * kAlign, block});
    }
    return blocks;
}

// The block's pixels, decoded from its bytes plus a few beyond, so that pixels near its end
// find the bytes their order takes them from.
bool ReadBlock(ByteSource& source, std::int32_t depth, std::int32_t order, const Block& b,
               std::uint8_t* out) {
    const std::int64_t ppb = PixelsPerByte(depth);
    const std::int64_t first = b.start / ppb;
    const std::int64_t end =
        std::min(source.size(), (b.start + b.length + ppb - 1) / ppb + kOrderReach);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(end - first));
    if (!source.Read(first, bytes.size(), bytes.data())) {
        return false;
    }
    modBITMAPinfo::DecodeRun(depth, order, bytes, b.start - first * ppb, b.length, out);
    return true;
}

// The turns of every stage of a transform of length n, one stage after the other: stage
// len (2, 4, .. n) holds exp(-2 pi i k / len), k < len / 2, from index len / 2 - 1 on.
std::vector<Complex> Turns(std::size_t n) {
    std::vector<Complex> turns;
    for (std::size_t len = 2; len <= n; len <<= 1) {
        for (std::size_t k = 0; k < len / 2; ++k) {
            turns.push_back(std::polar(
                1.0, -2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(len)));
        }
    }
    return turns;
}

// lo, hi = lo + v, lo - v with v = hi times the turn t, or its conjugate for the inverse.
// Written out: the library's product also handles infinities, at a cost. Both ways give the
// same bits: each part is the same products and sums, in two lanes at once where there are.
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

// In-place radix-2 transform of a power-of-two length; the inverse is left unscaled. The
// direction is a template argument, so that the innermost loop does not test it.
template <bool inverse>
void Fft(std::vector<Complex>& a, const std::vector<Complex>& turns) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const Complex* stage = turns.data() + len / 2 - 1;
        for (std::size_t i = 0; i < n; i += len) {
            Complex* lo = a.data() + i;
            Complex* hi = lo + len / 2;
            for (std::size_t k = 0; k < len / 2; ++k) {
                Butterfly<inverse>(lo + k, hi + k, stage[k]);
            }
        }
    }
}

}  // namespace

std::optional<Sample> TakeSample(ByteSource& source, std::int64_t begin, std::int64_t end,
                                 std::int32_t depth, std::int32_t order, const SampleShape& shape) {
    const std::int64_t ppb = PixelsPerByte(depth);
    begin = std::max<std::int64_t>(begin, 0);
    end = std::min(end, source.size());
    const std::int64_t first = (begin * ppb + kAlign - 1) / kAlign * kAlign;
    Sample sample;
    sample.placed = PlaceBlocks(first, end * ppb - first, shape);
    sample.maxWidth = shape.maxWidth();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(shape.block()));
    double sum = 0;
    for (const Block& b : sample.placed) {
        if (!ReadBlock(source, depth, order, b, pixels.data())) {
            return std::nullopt;
        }
        sample.blocks.emplace_back(pixels.begin(), pixels.begin() + b.length);
        for (std::int64_t i = 0; i < b.length; ++i) {
            sum += pixels[static_cast<std::size_t>(i)];
        }
        sample.total += b.length;
    }
    for (auto& b : sample.blocks) {
        for (double& v : b) {
            v -= sum / static_cast<double>(sample.total);
        }
    }
    return sample;
}

std::int64_t MaxLag(const Sample& sample) {
    const std::int64_t longest = sample.placed.empty() ? 0 : sample.placed.front().length;
    return std::min({sample.maxWidth, longest / kMinBlockRows, sample.total / kMinRows});
}

double PairsAt(const std::vector<std::vector<double>>& blocks, std::int64_t w) {
    double pairs = 0;
    for (const auto& b : blocks) {
        pairs += std::max<double>(0, static_cast<double>(b.size()) - static_cast<double>(w));
    }
    return pairs;
}

// The sums of products of all distances at once come from the transform: two blocks at a
// time, as the real and imaginary parts of one input.
std::vector<double> Distances(const std::vector<std::vector<double>>& blocks, std::int64_t maxLag) {
    std::size_t longest = 0;
    for (const auto& b : blocks) {
        longest = std::max(longest, b.size());
    }
    std::size_t n = 1;
    while (n < longest + static_cast<std::size_t>(maxLag) + 1) {
        n <<= 1;
    }
    // Stage len of a transform holds the same turns whatever its length: those of the
    // longest serve every transform, made once.
    static const std::vector<Complex> turns = Turns(static_cast<std::size_t>(kTransform));
    std::vector<double> power(n, 0.0);
    std::vector<Complex> z(n);
    for (std::size_t i = 0; i < blocks.size(); i += 2) {
        std::fill(z.begin(), z.end(), Complex{});
        for (std::size_t k = 0; k < blocks[i].size(); ++k) {
            z[k].real(blocks[i][k]);
        }
        if (i + 1 < blocks.size()) {
            for (std::size_t k = 0; k < blocks[i + 1].size(); ++k) {
                z[k].imag(blocks[i + 1][k]);
            }
        }
        Fft<false>(z, turns);
        // The two blocks' power spectra, taken apart by the symmetry of a real input's.
        for (std::size_t k = 0; k < n; ++k) {
            power[k] += (std::norm(z[k]) + std::norm(z[k == 0 ? 0 : n - k])) / 2;
        }
    }
    for (std::size_t k = 0; k < n; ++k) {
        z[k] = power[k];
    }
    Fft<true>(z, turns);

    maxLag = std::max<std::int64_t>(maxLag,
                                    std::min<std::int64_t>(static_cast<std::int64_t>(n - longest),
                                                           static_cast<std::int64_t>(longest) - 1));
    std::vector<double> dist(static_cast<std::size_t>(maxLag) + 1, 0.0);
    for (const auto& b : blocks) {
        std::vector<double> squares(b.size() + 1, 0.0);  // squares[j]: sum over i < j
        for (std::size_t i = 0; i < b.size(); ++i) {
            squares[i + 1] = squares[i] + b[i] * b[i];
        }
        for (std::int64_t w = 1; w <= maxLag && static_cast<std::size_t>(w) < b.size(); ++w) {
            const std::size_t pairs = b.size() - static_cast<std::size_t>(w);
            dist[w] += squares[pairs] + (squares[b.size()] - squares[w]);
        }
    }
    for (std::int64_t w = 1; w <= maxLag; ++w) {
        const double products = z[static_cast<std::size_t>(w)].real() / static_cast<double>(n);
        dist[w] = std::max(0.0, (dist[w] - 2 * products) / PairsAt(blocks, w));
    }
    return dist;
}

}  // namespace rastel::core::widths
