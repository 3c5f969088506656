#include "image/pixels/FrameDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/pixels/FormatKernels.h"
#include "image/pixels/FrameKernels.h"
#include "image/pixels/WidePositions.h"

namespace rastel::core {

namespace {

// A sample of 1 or 2 little-endian bytes at `at`; bytes outside data read as 0.
std::uint32_t SampleAt(ByteSpan data, Wide at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        const Wide b = at + i;
        v |= (b >= 0 && b < static_cast<Wide>(data.size()) ? data[static_cast<std::size_t>(b)] : 0u)
             << 8 * i;
    }
    return v;
}

// Where pixel (x, y) of a frame takes its Y, U and V.
struct PlanarSites {
    Wide y, u, v;
};

PlanarSites PlanarSitesOf(const FormatLayout& l, std::int64_t x, std::int64_t y) {
    const PixelFormat& f = *l.format;
    const Planes& p = f.planes;
    const std::int64_t rows = std::max<std::int64_t>(1, l.frameRows());
    const FrameShape shape = l.frame();
    const Wide k = FloorDiv(y, rows);
    const Wide r = y - k * rows;
    const Wide base = l.offset + k * shape.frameBytes;
    const Wide chroma = base + shape.lumaBytes + (r >> p.v) * shape.chromaRowBytes;
    const Wide column = static_cast<Wide>(x >> p.h) * f.bytes * (p.interleaved ? 2 : 1);
    PlanarSites s{base + r * l.rowBytes() + static_cast<Wide>(x) * f.bytes, 0, 0};
    const Wide first = chroma + column;
    const Wide second = p.interleaved ? first + f.bytes : first + shape.chromaBytes;
    s.u = p.vFirst ? second : first;
    s.v = p.vFirst ? first : second;
    return s;
}

// A sample as an 8-bit level: its value's high 8 bits.
std::uint32_t Level(const PixelFormat& f, std::uint32_t sample) {
    return Widen(f.fields[0].Of(sample), f.fields[0].bits);
}

// The colour at a mosaic's site (y, x): its own sample for its colour, the means of the
// nearest sites for the others. at(dy, dx) gives the sample that many rows and columns away.
template <class At>
std::uint32_t Demosaic(const PixelFormat& f, std::int64_t y, std::int64_t x, const At& at) {
    auto colour = [&f](std::int64_t yy, std::int64_t xx) {
        return f.sites[static_cast<std::size_t>((yy & 1) * 2 + (xx & 1))];
    };
    const std::uint8_t own = colour(y, x), across = colour(y, x + 1), down = colour(y + 1, x),
                       diagonal = colour(y + 1, x + 1);
    const int shift = f.fields[0].bits - 8;  // a 16-bit mean shown by its high 8 bits
    std::array<std::uint32_t, 3> c{};
    for (std::uint8_t k = 0; k < 3; ++k) {
        if (k == own) {
            c[k] = at(0, 0) >> shift;
        } else if (k == across && k == down) {
            c[k] = (at(0, -1) + at(0, 1) + at(-1, 0) + at(1, 0)) >> (2 + shift);
        } else if (k == across) {
            c[k] = (at(0, -1) + at(0, 1)) >> (1 + shift);
        } else if (k == down) {
            c[k] = (at(-1, 0) + at(1, 0)) >> (1 + shift);
        } else if (k == diagonal) {
            c[k] = (at(-1, -1) + at(-1, 1) + at(1, -1) + at(1, 1)) >> (2 + shift);
        }
    }
    return 0xFF000000u | c[0] << 16 | c[1] << 8 | c[2];
}

// A row or column across the picture's edge: mirrored to the one as far inside, which has the
// same colour; held inside where the picture is too small to mirror.
std::int64_t Mirrored(std::int64_t i, std::int64_t n) {
    i = i < 0 ? -i : i >= n ? 2 * (n - 1) - i : i;
    return std::clamp<std::int64_t>(i, 0, std::max<std::int64_t>(0, n - 1));
}

std::uint32_t MosaicAt(const FormatLayout& l, ByteSpan data, std::int64_t x, std::int64_t y) {
    const PixelFormat& f = *l.format;
    return Demosaic(f, y, x, [&](int dy, int dx) {
        const std::int64_t yy = Mirrored(y + dy, l.height), xx = Mirrored(x + dx, l.width);
        return SampleAt(data, static_cast<Wide>(yy) * l.rowBytes() + xx * f.bytes + l.offset,
                        f.bytes);
    });
}

// Rows [1, height - 1) of a mosaic, columns [1, width - 1), whose three rows lie in data:
// the same arithmetic, on pointers.
template <class Sample>
void MosaicRun(const PixelFormat& f, const std::uint8_t* row, std::int64_t rowBytes, std::int64_t y,
               std::int64_t x0, std::int64_t x1, std::uint8_t* out) {
    const auto first = static_cast<std::size_t>((y & 1) * 2);
    const std::int64_t done =
        formatKernels::MosaicSteps(row, static_cast<int>(sizeof(Sample)), rowBytes, f.sites[first],
                                   f.sites[first + 1], x0, x1 - x0, out);
    x0 += done;
    out += 4 * done;
    for (std::int64_t x = x0; x < x1; ++x, out += 4) {
        const std::uint8_t* p = row + x * static_cast<std::int64_t>(sizeof(Sample));
        const std::uint32_t v = Demosaic(f, y, x, [p, rowBytes](int dy, int dx) {
            const std::uint8_t* s =
                p + dy * rowBytes + dx * static_cast<std::int64_t>(sizeof(Sample));
            return sizeof(Sample) == 1 ? std::uint32_t{s[0]} : s[0] | std::uint32_t{s[1]} << 8;
        });
        std::memcpy(out, &v, 4);
    }
}

// Planar rows: each row's Y, U and V gathered as 8-bit levels, then made colours at once. The
// levels' buffers are the thread's own and kept: a view decodes a row at a time.
class PlanarRows {
  public:
    PlanarRows(const FormatLayout& l, ByteSpan data, std::int64_t count) : mL(l), mData(data) {
        for (std::vector<std::uint8_t>* levels : {&mY, &mU, &mV}) {
            levels->resize(std::max(levels->size(), static_cast<std::size_t>(count)));
        }
    }

    void Row(std::int64_t y, std::int64_t x0, std::int64_t count, std::uint8_t* out) {
        const PixelFormat& f = *mL.format;
        const PlanarSites first = PlanarSitesOf(mL, x0, y);
        const PlanarSites last = PlanarSitesOf(mL, x0 + count - 1, y);
        const auto size = static_cast<Wide>(mData.size());
        const bool inside = first.y >= 0 && std::min(first.u, first.v) >= 0 &&
                            last.y + f.bytes <= size && std::max(last.u, last.v) + f.bytes <= size;
        if (!inside) {
            for (std::int64_t i = 0; i < count; ++i) {
                const std::uint32_t v = FramePixelAt(mL, mData, x0 + i, y).value;
                std::memcpy(out + 4 * i, &v, 4);
            }
            return;
        }
        const int step = f.bytes * (f.planes.interleaved ? 2 : 1);
        const int h = f.planes.h;
        Gather(first.y, f.bytes, 0, 0, count, mY.data());
        const std::int64_t phase = x0 & ((std::int64_t{1} << h) - 1);
        Gather(first.u, step, h, phase, count, mU.data());
        Gather(first.v, step, h, phase, count, mV.data());
        formatKernels::YuvColours(mY.data(), mU.data(), mV.data(), count, out);
    }

  private:
    // count levels, pixel i taking the sample (i + phase) >> h of those step bytes apart from
    // byte `at` of the data: a pixel at a time up to a block's start, then in the processor's
    // steps, then a pixel at a time again.
    void Gather(Wide at, int step, int h, std::int64_t phase, std::int64_t count,
                std::uint8_t* out) const {
        const PixelFormat& f = *mL.format;
        const std::uint8_t* in = mData.data() + static_cast<std::ptrdiff_t>(at);
        if (f.bytes == 1 && step == 1 && h == 0) {
            std::memcpy(out, in, static_cast<std::size_t>(count));
            return;
        }
        auto level = [&](std::int64_t i) {
            const std::uint8_t* s = in + ((i + phase) >> h) * step;
            return static_cast<std::uint8_t>(
                f.bytes == 1 ? s[0] : Level(f, s[0] | std::uint32_t{s[1]} << 8));
        };
        std::int64_t i = 0;
        for (; i < count && ((i + phase) & ((std::int64_t{1} << h) - 1)) != 0; ++i) {
            out[i] = level(i);
        }
        const std::int64_t from = ((i + phase) >> h) * step;
        i += formatKernels::SpreadSteps(
            in + from, f.bytes, step, h, f.fields[0].shift + f.fields[0].bits - 8, count - i,
            static_cast<std::int64_t>(mData.size() - at) - from, out + i);
        for (; i < count; ++i) {
            out[i] = level(i);
        }
    }

    const FormatLayout& mL;
    ByteSpan mData;
    static thread_local inline std::vector<std::uint8_t> mY, mU, mV;
};

}  // namespace

ChromaSite ChromaOf(const FormatLayout& l, std::int64_t x, std::int64_t y) {
    const PlanarSites s = PlanarSitesOf(l, x, y);
    return {Held(s.u), Held(s.v)};
}

FormatPixel FramePixelAt(const FormatLayout& l, ByteSpan data, std::int64_t x, std::int64_t y) {
    const PixelFormat& f = *l.format;
    FormatPixel px;
    if (f.family == FormatFamily::Bayer) {
        const Wide at =
            static_cast<Wide>(y) * l.rowBytes() + static_cast<Wide>(x) * f.bytes + l.offset;
        px.byte = px.pair = Held(at);
        px.channels = {SampleAt(data, at, f.bytes),
                       f.sites[static_cast<std::size_t>((y & 1) * 2 + (x & 1))], 0, 0};
        px.value = MosaicAt(l, data, x, y);
        return px;
    }
    const PlanarSites s = PlanarSitesOf(l, x, y);
    px.byte = Held(s.y);
    px.pair = Held(s.u);
    auto value = [&](Wide at) { return f.fields[0].Of(SampleAt(data, at, f.bytes)); };
    px.channels = {value(s.y), value(s.u), value(s.v), 0};
    const int bits = f.fields[0].bits;
    px.value = formatKernels::Chroma(static_cast<int>(Widen(px.channels[1], bits)),
                                     static_cast<int>(Widen(px.channels[2], bits)))
                   .Colour(static_cast<int>(Widen(px.channels[0], bits)));
    return px;
}

void DecodeFrameRows(const FormatLayout& l, ByteSpan data, std::int64_t y0, std::int64_t y1,
                     std::int64_t x0, std::int64_t count, std::uint8_t* dst,
                     std::ptrdiff_t rowStep) {
    if (count < 1) {
        return;
    }
    const PixelFormat& f = *l.format;
    if (f.family == FormatFamily::Planar) {
        PlanarRows rows(l, data, count);
        for (std::int64_t y = y0; y < y1; ++y, dst += rowStep) {
            rows.Row(y, x0, count, dst);
        }
        return;
    }
    const std::int64_t x1 = x0 + count;
    const std::int64_t rowBytes = l.rowBytes();
    for (std::int64_t y = y0; y < y1; ++y, dst += rowStep) {
        // The pointers' run: inner columns of inner rows whose rows above and below are in.
        const std::int64_t in0 = std::max<std::int64_t>(x0, 1);
        const std::int64_t in1 = std::max(in0, std::min(x1, l.width - 1));
        const Wide above = static_cast<Wide>(y - 1) * rowBytes + l.offset;
        const bool inside = y >= 1 && y < l.height - 1 && above >= 0 &&
                            above + 2 * static_cast<Wide>(rowBytes) + l.width * f.bytes <=
                                static_cast<Wide>(data.size());
        auto plain = [&](std::int64_t from, std::int64_t to) {
            for (std::int64_t x = from; x < to; ++x) {
                const std::uint32_t v = MosaicAt(l, data, x, y);
                std::memcpy(dst + 4 * (x - x0), &v, 4);
            }
        };
        if (!inside || in0 >= in1) {
            plain(x0, x1);
            continue;
        }
        plain(x0, in0);
        const std::uint8_t* row = data.data() + static_cast<std::ptrdiff_t>(above + rowBytes);
        if (f.bytes == 1) {
            MosaicRun<std::uint8_t>(f, row, rowBytes, y, in0, in1, dst + 4 * (in0 - x0));
        } else {
            MosaicRun<std::uint16_t>(f, row, rowBytes, y, in0, in1, dst + 4 * (in0 - x0));
        }
        plain(in1, x1);
    }
}

std::optional<modBITMAPinfo::Cell> PlanarCellOf(const FormatLayout& l, std::int64_t b) {
    if (b < l.offset) {
        return std::nullopt;
    }
    const PixelFormat& f = *l.format;
    const FrameShape shape = l.frame();
    const std::int64_t rows = std::max<std::int64_t>(1, l.frameRows());
    const std::int64_t from = b - l.offset;
    const std::int64_t k = from / std::max<std::int64_t>(1, shape.frameBytes);
    std::int64_t in = from - k * shape.frameBytes;
    const Wide top = static_cast<Wide>(k) * rows;
    if (top >= l.height) {
        return std::nullopt;
    }
    std::int64_t x = 0, r = 0;
    if (in < shape.lumaBytes) {
        r = in / l.rowBytes();
        x = in % l.rowBytes() / f.bytes;
    } else {
        in = (in - shape.lumaBytes) % std::max<std::int64_t>(1, shape.chromaBytes);
        const std::int64_t sample = f.bytes * (f.planes.interleaved ? 2 : 1);
        r = std::min(rows - 1, in / shape.chromaRowBytes << f.planes.v);
        x = in % shape.chromaRowBytes / sample << f.planes.h;
    }
    return modBITMAPinfo::Cell{std::min(x, l.width - 1), static_cast<std::int64_t>(top) + r};
}

}  // namespace rastel::core
