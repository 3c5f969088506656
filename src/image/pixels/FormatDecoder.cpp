#include "image/pixels/FormatDecoder.h"

#include <algorithm>
#include <cstring>

#include "image/pixels/FormatKernels.h"
#include "image/pixels/FrameDecoder.h"
#include "image/pixels/WidePositions.h"

namespace rastel::core {

namespace {

std::uint32_t ByteAt(ByteSpan data, Wide i) {
    return i >= 0 && i < static_cast<Wide>(data.size()) ? data[static_cast<std::size_t>(i)] : 0;
}

// The number n bytes (8 at most) at `at` make, the first one highest when big.
std::uint64_t NumberAt(ByteSpan data, Wide at, int n, bool big) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) {
        v |= std::uint64_t{ByteAt(data, at + i)} << 8 * (big ? n - 1 - i : i);
    }
    return v;
}

// A row's columns by where their bytes lie: [x0, in0) and [in1, x1) wholly outside the data,
// [fast0, fast1) wholly inside it, what is between partly.
struct RowSpans {
    std::int64_t in0, fast0, fast1, in1;
    const std::uint8_t* fast;  // where the bytes of column fast0 begin (its pair's for YUV)
    int phase;                 // YUV: 1 when column fast0 is its pair's second pixel
};

RowSpans SpansOf(const FormatLayout& l, ByteSpan data, std::int64_t y, std::int64_t x0,
                 std::int64_t x1) {
    const PixelFormat& f = *l.format;
    // A pixel starting at byte b needs bytes [b - before, b + after): a YUV pixel its own and
    // its pair's, which starts up to 3 bytes before it (with an odd stride).
    const bool yuv = f.family == FormatFamily::Yuv422;
    const int before = yuv ? 3 : 0;
    const int after = yuv ? 4 : f.bytes;
    const Wide start = static_cast<Wide>(y) * l.rowBytes() + l.offset;
    const auto size = static_cast<Wide>(data.size());
    // The first column whose first byte lies at or after b.
    auto column = [&](Wide b) {
        return static_cast<std::int64_t>(std::clamp<Wide>(-FloorDiv(start - b, f.bytes), x0, x1));
    };
    RowSpans s{x0, x0, x1, x1, nullptr, 0};
    if (x0 >= x1 || start + static_cast<Wide>(x0) * f.bytes < before ||
        start + static_cast<Wide>(x1 - 1) * f.bytes + after > size) {
        // The row reaches past an end of the data: the divisions, spared where it does not.
        s.in0 = column(1 - after);
        s.in1 = std::max(s.in0, column(size + before));
        s.fast0 = std::clamp(column(before), s.in0, s.in1);
        s.fast1 = std::clamp(column(size - after + 1), s.fast0, s.in1);
    }
    const Wide b = start + static_cast<Wide>(s.fast0) * f.bytes;
    if (yuv) {
        // Pairs count from the picture's first byte; rows an odd number of bytes apart put
        // pixels astride them, left to the plain rule.
        const Wide run = b - l.offset;
        if (run % 2 != 0) {
            s.fast1 = s.fast0;
        }
        s.phase = static_cast<int>(run / 2 % 2);
    }
    if (s.fast0 < s.fast1) {
        s.fast = data.data() + static_cast<std::size_t>(b - 2 * s.phase);
    }
    return s;
}

}  // namespace

std::uint32_t YuvColour(int y, int u, int v) {
    return formatKernels::Chroma(u, v).Colour(y);
}

FormatPixel FormatPixelAt(const FormatLayout& l, ByteSpan data, std::int64_t x, std::int64_t y) {
    const PixelFormat& f = *l.format;
    if (f.family == FormatFamily::Planar || f.family == FormatFamily::Bayer) {
        return FramePixelAt(l, data, x, y);
    }
    const Wide b = static_cast<Wide>(y) * l.rowBytes() + static_cast<Wide>(x) * f.bytes + l.offset;
    FormatPixel px;
    px.byte = px.pair = Held(b);
    const std::uint64_t own = NumberAt(data, b, f.bytes, f.bigEndian);
    auto& ch = px.channels;
    const auto& field = f.fields;
    switch (f.family) {
        case FormatFamily::Gray16:
            ch[0] = px.value = field[0].Of(own);
            break;
        case FormatFamily::Yuv422: {
            const Wide pair = l.offset + 4 * FloorDiv(b - l.offset, 4);
            px.pair = Held(pair);
            const std::uint64_t shared = NumberAt(data, pair, 4, false);
            ch = {field[0].Of(own), field[1].Of(shared), field[2].Of(shared), 0};
            px.value = YuvColour(static_cast<int>(ch[0]), static_cast<int>(ch[1]),
                                 static_cast<int>(ch[2]));
            break;
        }
        default: {
            for (std::size_t i = 0; i < 4; ++i) {
                ch[i] = field[i].Of(own);
            }
            const std::uint32_t alpha = field[3].bits != 0 ? Widen(ch[3], field[3].bits) : 0xFF;
            px.value = alpha << 24 | Widen(ch[0], field[0].bits) << 16 |
                       Widen(ch[1], field[1].bits) << 8 | Widen(ch[2], field[2].bits);
        }
    }
    return px;
}

std::optional<modBITMAPinfo::Cell> FormatCellOf(const FormatLayout& l, std::int64_t b) {
    if (l.planar()) {
        return PlanarCellOf(l, b);
    }
    // b is a byte of the file and the offset inside the field's limits: no overflow.
    if (b < l.offset) {
        return std::nullopt;
    }
    const std::int64_t from = b - l.offset;
    const std::int64_t y = from / l.rowBytes();
    if (y >= l.height) {
        return std::nullopt;
    }
    return modBITMAPinfo::Cell{std::min(from % l.rowBytes() / l.format->bytes, l.width - 1), y};
}

void DecodeFormatRows(const FormatLayout& l, ByteSpan data, std::int64_t y0, std::int64_t y1,
                      std::int64_t x0, std::int64_t count, std::uint8_t* dst,
                      std::ptrdiff_t rowStep) {
    const PixelFormat& f = *l.format;
    if (f.family == FormatFamily::Planar || f.family == FormatFamily::Bayer) {
        return DecodeFrameRows(l, data, y0, y1, x0, count, dst, rowStep);
    }
    const std::int64_t unit = DecodedBytes(f);
    const std::int64_t x1 = x0 + count;
    // A pixel whose bytes all lie outside the data is made of zeros.
    const std::uint32_t blank = FormatPixelAt(l, {}, 0, 0).value;
    for (std::int64_t y = y0; y < y1; ++y, dst += rowStep) {
        const RowSpans s = SpansOf(l, data, y, x0, x1);
        auto out = [&](std::int64_t x) { return dst + (x - x0) * unit; };
        auto fill = [&](std::int64_t from, std::int64_t to) {
            for (std::int64_t x = from; x < to; ++x) {
                std::memcpy(out(x), &blank, static_cast<std::size_t>(unit));
            }
        };
        auto plain = [&](std::int64_t from, std::int64_t to) {
            for (std::int64_t x = from; x < to; ++x) {
                const std::uint32_t v = FormatPixelAt(l, data, x, y).value;
                if (unit == 2) {
                    const auto v16 = static_cast<std::uint16_t>(v);
                    std::memcpy(out(x), &v16, 2);
                } else {
                    std::memcpy(out(x), &v, 4);
                }
            }
        };
        fill(x0, s.in0);
        plain(s.in0, s.fast0);
        if (s.fast0 < s.fast1) {
            formatKernels::Decode(f, s.fast, s.phase, s.fast1 - s.fast0, out(s.fast0));
        }
        plain(s.fast1, s.in1);
        fill(s.in1, x1);
    }
}

void Range16::Add(std::uint16_t v) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
}

void Range16::Add(Range16 other) {
    lo = std::min(lo, other.lo);
    hi = std::max(hi, other.hi);
}

Range16 Gray16Range(const FormatLayout& l, ByteSpan data, std::int64_t y0, std::int64_t y1) {
    Range16 range;
    if (l.format->family != FormatFamily::Gray16) {
        return range;
    }
    for (std::int64_t y = y0; y < y1; ++y) {
        const RowSpans s = SpansOf(l, data, y, 0, l.width);
        if (s.in0 > 0 || s.in1 < l.width) {
            range.Add(0);
        }
        auto plain = [&](std::int64_t from, std::int64_t to) {
            for (std::int64_t x = from; x < to; ++x) {
                range.Add(static_cast<std::uint16_t>(FormatPixelAt(l, data, x, y).value));
            }
        };
        plain(s.in0, s.fast0);
        plain(s.fast1, s.in1);
        if (s.fast0 < s.fast1) {
            formatKernels::AddGray16(*l.format, s.fast, s.fast1 - s.fast0, range.lo, range.hi);
        }
    }
    return range;
}

}  // namespace rastel::core
