#include "image/pixels/PixelDecoder.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <new>
#include <stdexcept>

#include "image/pixels/RunKernels.h"

namespace rastel::modBITMAPinfo {

using core::Outcome;

namespace {

// A byte of data, or nothing when index lies outside it.
bool ByteAt(ByteSpan data, std::int64_t index, std::uint8_t& value) {
    if (index < 0 || index >= static_cast<std::int64_t>(data.size())) {
        return false;
    }
    value = data[static_cast<std::size_t>(index)];
    return true;
}

}  // namespace

// The bits its inverse names: which bits a pixel shows is written once, in SourceOf.
std::uint8_t PixelAt(std::int32_t depth, std::int32_t order, ByteSpan data, std::int64_t p) {
    const std::optional<PixelSource> s = SourceOf(depth, order, p);
    std::uint8_t v = 0;
    if (!s || !ByteAt(data, s->byte, v)) {
        return 0;
    }
    return static_cast<std::uint8_t>((v >> s->shift) & ((1 << s->bits) - 1));
}

std::optional<PixelSource> SourceOf(std::int32_t depth, std::int32_t order, std::int64_t p) {
    if (p < 0 || order < 0 || order >= OrderCount(depth)) {
        return std::nullopt;
    }
    switch (depth) {
        case kDepth256: {
            static constexpr int kMove[3][4] = {{0, 0, 0, 0}, {1, -1, 1, -1}, {3, 1, -1, -3}};
            return PixelSource{p + kMove[order][p % 4], 0, 8};
        }
        case kDepth16: {
            // Which nibble: order 0 shows the high one at even positions, 1 and 2 at odd ones.
            const bool high = (p % 2 == 0) == (order == 0);
            const std::int64_t q = p / 2;
            const std::int64_t byte = order != 2 ? q : p % 4 < 2 ? q + 1 : q - 1;
            return PixelSource{byte, high ? 4 : 0, 4};
        }
        default: {  // 2 colours
            const int bit = static_cast<int>(p % 8);
            return PixelSource{p / 8, order == 0 ? 7 - bit : bit, 1};
        }
    }
}

std::optional<std::int64_t> FirstPositionOf(std::int32_t depth, std::int32_t order,
                                            std::int64_t b) {
    if (b < 0 || b > std::numeric_limits<std::int64_t>::max() / 16 || order < 0 ||
        order >= OrderCount(depth)) {
        return std::nullopt;
    }
    // Every order keeps a byte's pixels within its aligned group of 4 bytes: search the
    // group's positions for the first that reads from b.
    const std::int64_t ppb = PixelsPerByte(depth);
    const std::int64_t group = b / 4 * 4 * ppb;
    for (std::int64_t p = group; p < group + 4 * ppb; ++p) {
        if (SourceOf(depth, order, p)->byte == b) {
            return p;
        }
    }
    return std::nullopt;
}

void DecodeRun(std::int32_t depth, std::int32_t order, ByteSpan data, std::int64_t p0,
               std::int64_t count, std::uint8_t* out) {
    const kernels::Kernel* kernel = kernels::Find(depth, order);
    if (kernel == nullptr) {
        std::fill_n(out, count, std::uint8_t{0});
        return;
    }
    // Groups are powers of two: shifts and masks, not divisions, which would cost more than
    // the decoding itself on narrow rows.
    const std::int64_t g = kernel->groupPixels;
    const int pixelShift = std::countr_zero(static_cast<std::uint64_t>(g));
    const int byteShift = std::countr_zero(static_cast<std::uint64_t>(kernel->groupBytes));
    // Pixels below limit belong to groups whose bytes all lie inside data; a few past it
    // may still find their byte in a last, incomplete group.
    const std::int64_t limit = (static_cast<std::int64_t>(data.size()) >> byteShift) << pixelShift;
    if (p0 >= limit + g) {
        // Past the data, and p0 + count might not even fit in 64 bits.
        std::fill_n(out, count, std::uint8_t{0});
        return;
    }
    const std::int64_t end = p0 + count;

    std::int64_t pos = p0;
    std::uint8_t* o = out;
    auto zeros = [&](std::int64_t upto) {
        if (upto > pos) {
            std::fill_n(o, upto - pos, std::uint8_t{0});
            o += upto - pos;
            pos = upto;
        }
    };
    auto plain = [&](std::int64_t upto) {
        for (; pos < upto; ++pos) {
            *o++ = PixelAt(depth, order, data, pos);
        }
    };

    zeros(std::min<std::int64_t>(end, 0));
    const std::int64_t fastBegin = (pos + g - 1) & -g;
    const std::int64_t fastEnd = std::min(end, limit) & -g;
    if (fastBegin < fastEnd) {
        plain(fastBegin);
        const std::int64_t groups = (fastEnd - fastBegin) >> pixelShift;
        kernel->run(data.data() + ((fastBegin >> pixelShift) << byteShift), groups, o);
        o += fastEnd - fastBegin;
        pos = fastEnd;
    }
    plain(std::min(end, limit + g));
    zeros(end);
}

DecodeLayout DecodeLayout::From(const ViewSettings& s, std::int64_t offset) {
    return {s.gColBit, CurrentOrder(s), s.gPicWidth, s.gPicHeight, offset};
}

std::int64_t DecodeLayout::position(std::int64_t y, std::int64_t x) const {
    __extension__ using Wide = __int128;  // holds any 64-bit product plus two 64-bit terms
    const Wide p = static_cast<Wide>(y) * width + x + offset;
    return static_cast<std::int64_t>(std::clamp<Wide>(p, std::numeric_limits<std::int64_t>::min(),
                                                      std::numeric_limits<std::int64_t>::max()));
}

std::optional<PixelSource> SourceAt(const DecodeLayout& layout, std::int64_t x, std::int64_t y) {
    return SourceOf(layout.depth, layout.order, layout.position(y, x));
}

std::pair<std::int64_t, std::int64_t> BytesOfRows(const DecodeLayout& layout, std::int64_t y0,
                                                  std::int64_t y1, std::int64_t size) {
    constexpr std::int64_t kGroup = 4;  // the most pixels an order reorders as one
    const std::int64_t p = std::max<std::int64_t>(0, layout.position(y0, 0));
    const std::int64_t q = std::max(p, layout.position(y1, 0));
    std::int64_t first = std::numeric_limits<std::int64_t>::max();
    std::int64_t last = -1;
    for (std::int64_t i = 0; i < kGroup && p + i < q; ++i) {
        if (const auto s = SourceOf(layout.depth, layout.order, p + i)) {
            first = std::min(first, s->byte);
        }
        if (const auto s = SourceOf(layout.depth, layout.order, q - 1 - i)) {
            last = std::max(last, s->byte);
        }
    }
    if (last < 0) {  // no row, or no pixel the depth knows: where the rows would start
        const std::int64_t perByte = PixelsPerByte(layout.depth);
        first = last = perByte == 0 ? 0 : p / perByte;
        --last;
    }
    // last may be the greatest position there is: held before one is added.
    return {std::clamp<std::int64_t>(first, 0, size),
            std::clamp<std::int64_t>(last, -1, size - 1) + 1};
}

std::optional<Cell> CellOf(const DecodeLayout& layout, std::int64_t b) {
    const std::optional<std::int64_t> p = FirstPositionOf(layout.depth, layout.order, b);
    if (!p || layout.width < 1) {
        return std::nullopt;
    }
    __extension__ using Wide = __int128;  // p - offset may leave the 64-bit range
    const Wide from = static_cast<Wide>(*p) - layout.offset;
    if (from < 0 || from / layout.width >= layout.height) {
        return std::nullopt;
    }
    return Cell{static_cast<std::int64_t>(from % layout.width),
                static_cast<std::int64_t>(from / layout.width)};
}

void DecodeRows(const DecodeLayout& layout, ByteSpan data, std::int64_t y0, std::int64_t y1,
                std::uint8_t* dst, std::ptrdiff_t rowStep) {
    for (std::int64_t y = y0; y < y1; ++y) {
        DecodeRun(layout.depth, layout.order, data, layout.position(y, 0), layout.width, dst);
        dst += rowStep;
    }
}

Outcome CheckBmpGeometry(std::int64_t width, std::int64_t height) {
    if (width < 1 || height < 1) {
        return Outcome::Refused(Outcome::Why::kBadSize, EINVAL, "no pixels");
    }
    constexpr std::int64_t kMaxSide = std::numeric_limits<std::int32_t>::max();
    // bfSize = 14 + 40 + 1024 + biSizeImage + 1 must fit in 32 bits.
    constexpr std::int64_t kMaxImage = std::numeric_limits<std::uint32_t>::max() - 1079;
    if (width > kMaxSide || height > kMaxSide || RowStride(width) * height > kMaxImage) {
        return Outcome::TooLarge("the picture is too large for a BMP file");
    }
    return {};
}

void FillHeader(BITMAPINFOHEADER& h, std::int64_t width, std::int64_t height) {
    h.biBitCount = 8;
    h.biWidth = static_cast<std::int32_t>(width);
    h.biHeight = static_cast<std::int32_t>(height);
    h.biClrUsed = 0;
    h.biCompression = 0;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biSizeImage = static_cast<std::uint32_t>(RowStride(width) * height);
    h.biPlanes = 1;
}

Outcome DecodePixels(DibImage& image, ByteSpan data, std::int64_t offset) {
    return DecodePixels(image, data, offset, {});
}

Outcome DecodePixels(DibImage& image, ByteSpan data, std::int64_t offset,
                     const DecodeProgress& progress) {
    const ViewSettings& s = image.settings;
    if (PixelsPerByte(s.gColBit) == 0) {
        return {};  // an unknown depth decodes nothing at all
    }
    if (Outcome fits = CheckBmpGeometry(s.gPicWidth, s.gPicHeight); !fits.ok()) {
        return fits;
    }
    const DecodeLayout layout = DecodeLayout::From(s, offset);
    const std::int64_t stride = layout.stride();
    const std::int64_t sizeImage = stride * layout.height;

    std::vector<std::uint8_t> bits;
    try {
        bits.assign(static_cast<std::size_t>(sizeImage) + 1, 0);
    } catch (const std::bad_alloc&) {
        return Outcome::OutOfMemory("the picture's pixels");
    } catch (const std::length_error&) {
        return Outcome::OutOfMemory("the picture's pixels");
    }
    // Bands of a few MiB, so that a caller showing progress hears from us often enough.
    constexpr std::int64_t kBandBytes = std::int64_t{8} << 20;
    const std::int64_t band = std::max<std::int64_t>(1, kBandBytes / stride);
    for (std::int64_t y0 = 0; y0 < layout.height; y0 += band) {
        if (progress && !progress(y0, layout.height)) {
            return Outcome::Cancelled();
        }
        const std::int64_t y1 = std::min(layout.height, y0 + band);
        DecodeRows(layout, data, y0, y1, bits.data() + (layout.height - 1 - y0) * stride,
                   -static_cast<std::ptrdiff_t>(stride));
    }

    FillHeader(image.bmiHeader, layout.width, layout.height);
    image.bits = std::move(bits);
    return {};
}

}  // namespace rastel::modBITMAPinfo
