#include "image/search/WidthSampling.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "image/pixels/PixelDecoder.h"
#include "image/search/Transform.h"

namespace rastel::core::widths {

namespace {

using modBITMAPinfo::PixelsPerByte;

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

// Blocks' storage given back, for the thread's next sample: a window's blocks are over a
// megabyte, and fresh pages for them, mapped and let go each time, can cost more than the
// search itself. Up to kSpareBytes are kept.
constexpr std::size_t kSpareBytes = std::size_t{2} << 20;
thread_local std::vector<std::vector<double>> tSpare;
thread_local std::size_t tSpareBytes = 0;

std::vector<double> TakeSpare() {
    if (tSpare.empty()) {
        return {};
    }
    std::vector<double> b = std::move(tSpare.back());
    tSpare.pop_back();
    tSpareBytes -= b.capacity() * sizeof(double);
    return b;
}

}  // namespace

void GiveBack(Sample& sample) {
    for (auto& b : sample.blocks) {
        const std::size_t bytes = b.capacity() * sizeof(double);
        if (tSpareBytes + bytes <= kSpareBytes) {
            tSpareBytes += bytes;
            tSpare.push_back(std::move(b));
        }
    }
    sample.blocks.clear();
}

std::optional<Sample> TakeSample(ByteSource& source, std::int64_t begin, std::int64_t end,
                                 std::int32_t depth, std::int32_t order, const SampleShape& shape) {
    const std::int64_t ppb = PixelsPerByte(depth);
    begin = std::max<std::int64_t>(begin, 0);
    end = std::min(end, source.size());
    const std::int64_t first = (begin * ppb + kAlign - 1) / kAlign * kAlign;
    Sample sample;
    sample.placed = PlaceBlocks(first, end * ppb - first, shape);
    sample.maxWidth = shape.maxWidth();
    sample.precision = shape.precision;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(shape.block()));
    // Whole numbers, summed exactly: as a double they would be the same, one add slower each.
    std::uint64_t sum = 0;
    sample.blocks.reserve(sample.placed.size());
    for (const Block& b : sample.placed) {
        if (!ReadBlock(source, depth, order, b, pixels.data())) {
            return std::nullopt;
        }
        sample.blocks.push_back(TakeSpare());
        sample.blocks.back().assign(pixels.begin(), pixels.begin() + b.length);
        for (std::int64_t i = 0; i < b.length; ++i) {
            sum += pixels[static_cast<std::size_t>(i)];
        }
        sample.total += b.length;
    }
    const double mean = static_cast<double>(sum) / static_cast<double>(sample.total);
    for (auto& b : sample.blocks) {
        for (double& v : b) {
            v -= mean;
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

namespace {

// products[w], w < products.size(): the sums of products of pixels w apart within the blocks,
// times n. They come from a transform of n points: two blocks at a time, as the real and
// imaginary parts of one input.
template <typename Real>
void Products(const std::vector<std::vector<double>>& blocks, std::size_t n,
              std::vector<double>& products) {
    // Kept for the thread's next call: fresh pages of this size cost more than the transform.
    thread_local std::vector<Real> power;
    thread_local std::vector<std::complex<Real>> z;
    power.assign(n, Real{0});
    z.resize(n);
    for (std::size_t i = 0; i < blocks.size(); i += 2) {
        Scatter(blocks[i], i + 1 < blocks.size() ? blocks[i + 1] : std::span<const double>(), z);
        Forward(z);
        // The two blocks' power spectra, taken apart by the symmetry of a real input's.
        AddPowers(z, power);
    }
    Scatter(power, {}, z);
    Inverse(z);
    for (std::size_t w = 0; w < products.size(); ++w) {
        products[w] = z[w].real();
    }
}

}  // namespace

std::vector<double> Distances(const std::vector<std::vector<double>>& blocks, std::int64_t maxLag,
                              Precision precision) {
    std::size_t longest = 0;
    for (const auto& b : blocks) {
        longest = std::max(longest, b.size());
    }
    std::size_t n = 1;
    while (n < longest + static_cast<std::size_t>(maxLag) + 1) {
        n <<= 1;
    }
    static_assert(kTransform <= kTransformMax);
    maxLag = std::max<std::int64_t>(maxLag,
                                    std::min<std::int64_t>(static_cast<std::int64_t>(n - longest),
                                                           static_cast<std::int64_t>(longest) - 1));
    std::vector<double> products(static_cast<std::size_t>(maxLag) + 1);
    if (precision == Precision::Single) {
        Products<float>(blocks, n, products);
    } else {
        Products<double>(blocks, n, products);
    }
    std::vector<double> dist(static_cast<std::size_t>(maxLag) + 1, 0.0);
    // Each block's running sums of squares (squares[j]: over i < j), four blocks side by side:
    // four chains of additions at once, each in the order it has alone.
    constexpr std::size_t kSide = 4;
    const std::size_t stride = longest + 1;
    thread_local std::vector<double> squares;
    squares.resize(kSide * stride);
    for (std::size_t j = 0; j < blocks.size(); j += kSide) {
        const std::size_t g = std::min(kSide, blocks.size() - j);
        // A group of fewer blocks sums its last again; those sums are left unused.
        const double* x[kSide];
        double* q[kSide];
        std::size_t common = longest;
        for (std::size_t k = 0; k < kSide; ++k) {
            x[k] = blocks[j + std::min(k, g - 1)].data();
            q[k] = squares.data() + k * stride;
            q[k][0] = 0;
            common = std::min(common, blocks[j + std::min(k, g - 1)].size());
        }
        double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        for (std::size_t i = 0; i < common; ++i) {
            q[0][i + 1] = s0 += x[0][i] * x[0][i];
            q[1][i + 1] = s1 += x[1][i] * x[1][i];
            q[2][i + 1] = s2 += x[2][i] * x[2][i];
            q[3][i + 1] = s3 += x[3][i] * x[3][i];
        }
        for (std::size_t k = 0; k < g; ++k) {
            const std::vector<double>& b = blocks[j + k];
            for (std::size_t i = common; i < b.size(); ++i) {
                q[k][i + 1] = q[k][i] + b[i] * b[i];
            }
            for (std::int64_t w = 1; w <= maxLag && static_cast<std::size_t>(w) < b.size(); ++w) {
                const std::size_t pairs = b.size() - static_cast<std::size_t>(w);
                dist[w] += q[k][pairs] + (q[k][b.size()] - q[k][w]);
            }
        }
    }
    for (std::int64_t w = 1; w <= maxLag; ++w) {
        const double sum = products[static_cast<std::size_t>(w)] / static_cast<double>(n);
        dist[w] = std::max(0.0, (dist[w] - 2 * sum) / PairsAt(blocks, w));
    }
    return dist;
}

}  // namespace rastel::core::widths
