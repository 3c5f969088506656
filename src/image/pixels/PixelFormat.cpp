#include "image/pixels/PixelFormat.h"

#include <algorithm>

#include "image/pixels/WidePositions.h"

namespace rastel::core {

const PixelFormat* IndexFormat(std::int32_t depth, std::int32_t order) {
    const auto* found =
        std::find_if(kFormats.begin(), kFormats.begin() + kIndexFormats,
                     [&](const PixelFormat& f) { return f.depth == depth && f.order == order; });
    return found == kFormats.begin() + kIndexFormats ? nullptr : found;
}

const PixelFormat* FindFormat(std::string_view name) {
    const auto found = std::find_if(kColourFormats.begin(), kColourFormats.end(),
                                    [name](const PixelFormat& f) { return f.name == name; });
    return found == kColourFormats.end() ? nullptr : &*found;
}

std::string FormatNames(std::string_view separator) {
    std::string names;
    for (const PixelFormat& f : kColourFormats) {
        names += names.empty() ? "" : separator;
        names += f.name;
    }
    return names;
}

const PixelFormat* ChosenFormat(std::int32_t choice) {
    return choice >= 1 && choice <= static_cast<std::int32_t>(kColourFormats.size())
               ? &kColourFormats[static_cast<std::size_t>(choice - 1)]
               : nullptr;
}

std::int32_t ChoiceOf(const PixelFormat& format) {
    return format.family == FormatFamily::Indices
               ? 0
               : static_cast<std::int32_t>(&format - kColourFormats.data()) + 1;
}

namespace {

// n / 2^shift, rounded up: the chroma samples that n luma samples need.
std::int64_t CeilShift(std::int64_t n, int shift) {
    return (n + (std::int64_t{1} << shift) - 1) >> shift;
}

// The most rows whose frame, at rows of rowBytes, the file holds; 1 at least.
std::int64_t RowsOfOneFrame(const PixelFormat& f, std::int64_t fileSize, std::int64_t rowBytes) {
    // Each block of 2^v rows takes its luma rows and a chroma row of each plane: estimate from
    // that, then step to the exact answer, a few rows away.
    const std::int64_t block = std::int64_t{1} << f.planes.v;
    const FrameShape one = FrameShapeOf(f, rowBytes, 1);
    const Wide perBlock = static_cast<Wide>(block) * rowBytes +
                          static_cast<Wide>(one.chromaBytes) * (f.planes.interleaved ? 1 : 2);
    std::int64_t rows = Held(std::max<Wide>(1, fileSize / std::max<Wide>(1, perBlock) * block));
    while (rows > 1 && FrameShapeOf(f, rowBytes, rows).frameBytes > fileSize) {
        --rows;
    }
    while (FrameShapeOf(f, rowBytes, rows + 1).frameBytes <= fileSize) {
        ++rows;
    }
    return rows;
}

}  // namespace

FrameShape FrameShapeOf(const PixelFormat& f, std::int64_t rowBytes, std::int64_t rows) {
    const std::int64_t sample = f.bytes;
    const Planes& p = f.planes;
    FrameShape s;
    s.chromaRowBytes = CeilShift(rowBytes / sample, p.h) * sample * (p.interleaved ? 2 : 1);
    s.chromaRows = CeilShift(rows, p.v);
    s.lumaBytes = Held(static_cast<Wide>(rows) * rowBytes);
    s.chromaBytes = Held(static_cast<Wide>(s.chromaRows) * s.chromaRowBytes);
    s.frameBytes = Held(static_cast<Wide>(s.lumaBytes) +
                        static_cast<Wide>(s.chromaBytes) * (p.interleaved ? 1 : 2));
    return s;
}

FormatLayout FormatLayout::For(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                               std::int64_t offset, std::int64_t stride, std::int64_t frameHeight) {
    FormatLayout l{&format, width,  FormatHeight(format, fileSize, width, stride, frameHeight),
                   offset,  stride, 0};
    l.frameHeight = format.family == FormatFamily::Planar && frameHeight > 0 ? frameHeight : 0;
    return l;
}

std::int64_t FormatLayout::byteOf(std::int64_t y, std::int64_t x) const {
    if (planar()) {
        // Whole frames before the row's, then its rows in its own.
        const std::int64_t rows = std::max<std::int64_t>(1, frameRows());
        return Held(static_cast<Wide>(y / rows) * frame().frameBytes +
                    static_cast<Wide>(y % rows) * rowBytes() +
                    static_cast<Wide>(x) * format->bytes + offset);
    }
    return Held(static_cast<Wide>(y) * rowBytes() + static_cast<Wide>(x) * format->bytes + offset);
}

std::int64_t FormatPixelCount(const PixelFormat& format, std::int64_t fileSize) {
    return (fileSize + format.bytes - 1) / format.bytes;
}

std::int64_t FormatHeight(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                          std::int64_t stride, std::int64_t frameHeight) {
    if (format.family == FormatFamily::Planar) {
        const std::int64_t rowBytes = stride != 0 ? stride : width * format.bytes;
        if (rowBytes < 1) {
            return 0;
        }
        if (frameHeight <= 0) {
            return RowsOfOneFrame(format, fileSize, rowBytes);
        }
        const std::int64_t rows = frameHeight;
        const FrameShape s = FrameShapeOf(format, rowBytes, rows);
        const std::int64_t frames =
            fileSize < s.lumaBytes ? 1 : (fileSize - s.lumaBytes) / s.frameBytes + 1;
        return Held(static_cast<Wide>(frames) * rows);
    }
    if (stride != 0) {
        return (fileSize + stride - 1) / stride;
    }
    const std::int64_t pixels = FormatPixelCount(format, fileSize);
    return (pixels + width - 1) / width;
}

namespace {

Outcome Problem(Outcome::Why why) {
    return Outcome::Refused(why, why == Outcome::Why::kOffsetTooLarge ? ERANGE : EINVAL);
}

}  // namespace

Outcome CheckFormatWidth(const PixelFormat& format, std::int64_t fileSize, std::int64_t width) {
    if (fileSize < format.bytes) {
        return Problem(Outcome::Why::kFileTooShort);
    }
    // A mosaic's pixel takes its missing colours from the columns beside it.
    if (width < (format.family == FormatFamily::Bayer ? 2 : 1)) {
        return Problem(Outcome::Why::kWidthTooSmall);
    }
    return width > FormatPixelCount(format, fileSize) ? Problem(Outcome::Why::kWidthTooLarge)
                                                      : Outcome{};
}

Outcome CheckStride(const PixelFormat& format, std::int64_t width, std::int64_t stride) {
    if (stride > kMaxStride) {
        return Problem(Outcome::Why::kStrideTooLarge);
    }
    // A width past the limit would make the product overflow; its rows fit no stride anyway.
    const bool fits = stride == 0 || (stride > 0 && width <= stride / format.bytes);
    return fits ? Outcome{} : Problem(Outcome::Why::kStrideTooSmall);
}

Outcome CheckFrameHeight(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                         std::int64_t stride, std::int64_t frameHeight) {
    if (format.family != FormatFamily::Planar) {
        return {};
    }
    const std::int64_t rowBytes = stride != 0 ? stride : width * format.bytes;
    const bool fits =
        frameHeight == 0 || (frameHeight > 0 && rowBytes > 0 && frameHeight <= fileSize / rowBytes);
    return fits ? Outcome{} : Problem(Outcome::Why::kFrameTooTall);
}

Outcome CheckByteOffset(std::int64_t offset) {
    return offset > -kOffsetLimit && offset < kOffsetLimit ? Outcome{}
                                                           : Problem(Outcome::Why::kOffsetTooLarge);
}

Outcome CheckFormatLayout(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                          std::int64_t offset, std::int64_t stride, std::int64_t frameHeight) {
    for (Outcome p : {CheckFormatWidth(format, fileSize, width), CheckStride(format, width, stride),
                      CheckFrameHeight(format, fileSize, width, stride, frameHeight),
                      CheckByteOffset(offset)}) {
        if (!p.ok()) {
            return p;
        }
    }
    return {};
}

}  // namespace rastel::core
