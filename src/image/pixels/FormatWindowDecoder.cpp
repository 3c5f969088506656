#include "image/pixels/FormatWindowDecoder.h"

#include <algorithm>

namespace rastel::core {

FormatWindowDecoder::FormatWindowDecoder(const FormatLayout& layout, ByteSource& source)
    : mLayout(layout), mSource(source) {}

// A pixel needs at most the 3 bytes before its first (a YUV pair's start) and the 4 from it,
// or its own bytes where it has more.
// The layout handed on counts from the window's first byte, offset included, so a YUV pixel
// finds the same pair there as in the whole file.
// A mosaic's pixels take the rows above and below theirs and the columns beside: whole rows
// from the one above to the one below.
template <class Use>
bool FormatWindowDecoder::Lend(std::int64_t y0, std::int64_t y1, std::int64_t x0,
                               std::int64_t count, const Use& use) {
    const bool mosaic = mLayout.format->family == FormatFamily::Bayer;
    const std::int64_t first =
        mosaic ? mLayout.byteOf(std::max<std::int64_t>(0, y0 - 1), 0) : mLayout.byteOf(y0, x0);
    const std::int64_t last =
        mosaic ? mLayout.byteOf(std::min(mLayout.height - 1, y1), mLayout.width - 1)
               : mLayout.byteOf(y1 - 1, x0 + count - 1);
    const std::int64_t base = std::clamp<std::int64_t>(first, 3, mSource.size() + 3) - 3;
    const std::int64_t after = std::max<std::int64_t>(4, mLayout.format->bytes);
    const std::int64_t end = std::clamp<std::int64_t>(last, -after, mSource.size() - after) + after;
    if (y0 >= y1 || count < 1 || end <= base) {
        use(mLayout, ByteSpan{});
        return true;
    }
    FormatLayout window = mLayout;
    window.offset -= base;  // base > 0 only where first, so the offset, is well inside 64 bits
    return mSource.Lend(base, static_cast<std::size_t>(end - base), mWindow,
                        [&](ByteSpan bytes) { use(window, bytes); });
}

// Reads rows of n bytes, `step` apart in the file from pos, into consecutive rows of out: in
// one read where they lie back to back.
bool FormatWindowDecoder::ReadRows(Wide pos, std::int64_t step, std::int64_t n, std::int64_t rows,
                                   std::uint8_t* out) {
    // A position past the 64-bit range lies outside any file, as its held value does.
    if (step == n) {
        return mSource.ReadPadded(Held(pos), n * rows, out);
    }
    for (std::int64_t r = 0; r < rows; ++r) {
        if (!mSource.ReadPadded(Held(pos + static_cast<Wide>(r) * step), n, out + r * n)) {
            return false;
        }
    }
    return true;
}

// Frames of planes, a frame's part at a time: the columns asked for, from the first of their
// chroma block, of its luma rows and the chroma rows they take, gathered plane by plane into a
// frame of their own, whose rows start at a chroma row's.
bool FormatWindowDecoder::DecodePlanes(std::int64_t y0, std::int64_t y1, std::int64_t x0,
                                       std::int64_t count, std::uint8_t* dst,
                                       std::ptrdiff_t rowStep) {
    const FormatLayout& l = mLayout;
    const PixelFormat& f = *l.format;
    const std::int64_t rows = std::max<std::int64_t>(1, l.frameRows());
    const FrameShape whole = l.frame();
    const int h = f.planes.h, v = f.planes.v;
    const int planes = f.planes.interleaved ? 1 : 2;
    const std::int64_t left = x0 >> h << h;
    const std::int64_t chromaSample = f.bytes * (f.planes.interleaved ? 2 : 1);
    for (std::int64_t y = y0; y < y1;) {
        const std::int64_t k = y / rows;
        const std::int64_t top = (y - k * rows) >> v << v;  // of the part, in its frame
        const std::int64_t end = std::min(y1 - k * rows, rows);
        const FormatLayout part{&f, x0 + count - left, end - top, 0, 0, end - top};
        const FrameShape shape = part.frame();
        mWindow.resize(static_cast<std::size_t>(shape.frameBytes));
        const Wide base = static_cast<Wide>(k) * whole.frameBytes + l.offset;
        bool read = ReadRows(base + static_cast<Wide>(top) * l.rowBytes() + left * f.bytes,
                             l.rowBytes(), part.rowBytes(), end - top, mWindow.data());
        for (int p = 0; p < planes && read; ++p) {
            read = ReadRows(base + whole.lumaBytes + static_cast<Wide>(p) * whole.chromaBytes +
                                static_cast<Wide>(top >> v) * whole.chromaRowBytes +
                                (left >> h) * chromaSample,
                            whole.chromaRowBytes, shape.chromaRowBytes, shape.chromaRows,
                            mWindow.data() + shape.lumaBytes + p * shape.chromaBytes);
        }
        if (!read) {
            return false;
        }
        const std::int64_t from = y - k * rows - top;
        DecodeFormatRows(part, mWindow, from, end - top, x0 - left, count, dst, rowStep);
        dst += (end - top - from) * rowStep;
        y += end - top - from;
    }
    return true;
}

bool FormatWindowDecoder::Decode(std::int64_t y0, std::int64_t y1, std::int64_t x0,
                                 std::int64_t count, std::uint8_t* dst, std::ptrdiff_t rowStep) {
    if (mLayout.planar()) {
        return DecodePlanes(y0, y1, x0, count, dst, rowStep);
    }
    return Lend(y0, y1, x0, count, [&](const FormatLayout& layout, ByteSpan bytes) {
        DecodeFormatRows(layout, bytes, y0, y1, x0, count, dst, rowStep);
    });
}

std::optional<Range16> FormatWindowDecoder::Range(std::int64_t y0, std::int64_t y1) {
    Range16 range;
    if (!Lend(y0, y1, 0, mLayout.width, [&](const FormatLayout& layout, ByteSpan bytes) {
            range = Gray16Range(layout, bytes, y0, y1);
        })) {
        return std::nullopt;
    }
    return range;
}

}  // namespace rastel::core
