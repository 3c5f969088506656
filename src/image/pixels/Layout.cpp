#include "image/pixels/Layout.h"

#include <algorithm>

namespace rastel::core {

Layout LayoutOf(const modBITMAPinfo::ViewSettings& s) {
    const PixelFormat* indices = IndexFormat(s.gColBit, modBITMAPinfo::CurrentOrder(s));
    indices = indices != nullptr ? indices : IndexFormat(s.gColBit, 0);
    indices = indices != nullptr ? indices : &kFormats[0];
    return {s.gFormat ? s.gFormat : indices, s.gPicWidth, s.gPicHeight,
            s.gUseOffset ? s.gOffA : 0,      s.gStride,   s.gFrameHeight};
}

std::int64_t PixelCountOf(const Layout& kind, std::int64_t fileSize) {
    return !kind.indexed() ? FormatPixelCount(*kind.format, fileSize)
                           : modBITMAPinfo::PixelCount(fileSize, kind.format->depth);
}

std::int64_t RowsFor(const Layout& kind, std::int64_t fileSize, std::int64_t width) {
    return !kind.indexed()
               ? FormatHeight(*kind.format, fileSize, width, kind.stride, kind.frameHeight)
               : modBITMAPinfo::HeightForWidth(PixelCountOf(kind, fileSize), width);
}

void DecodeRows(const Layout& l, ByteSpan data, std::int64_t y0, std::int64_t y1, std::int64_t x0,
                std::int64_t count, std::uint8_t* dst, std::ptrdiff_t rowStep) {
    if (!l.indexed()) {
        return DecodeFormatRows(l.Colours(), data, y0, y1, x0, count, dst, rowStep);
    }
    const modBITMAPinfo::DecodeLayout indices = l.Indices();
    for (std::int64_t y = y0; y < y1; ++y, dst += rowStep) {
        modBITMAPinfo::DecodeRun(indices.depth, indices.order, data, indices.position(y, x0), count,
                                 dst);
    }
}

bool Drawable(const FormatLayout& l, std::int64_t fileSize) {
    return l.height >= 1 &&
           CheckFormatLayout(*l.format, fileSize, l.width, l.offset, l.stride, l.frameHeight).ok();
}

std::optional<modBITMAPinfo::Cell> CellOf(const Layout& l, std::int64_t b) {
    return !l.indexed() ? FormatCellOf(l.Colours(), b) : modBITMAPinfo::CellOf(l.Indices(), b);
}

bool BeforeStart(const Layout& l, std::int64_t b) {
    if (!l.indexed()) {
        return b < l.offset;
    }
    const auto p = modBITMAPinfo::FirstPositionOf(l.format->depth, l.format->order, b);
    return !p || *p < l.offset;
}

std::pair<std::int64_t, std::int64_t> BytesOfRows(const Layout& l, std::int64_t y0, std::int64_t y1,
                                                  std::int64_t size) {
    if (!l.indexed()) {
        // Rows of planes are shown by their luma: the bytes from the first row's to the end of
        // the last's.
        const FormatLayout f = l.Colours();
        const std::int64_t end =
            f.planar() && y1 > y0 ? f.byteOf(y1 - 1, f.width) : f.byteOf(y1, 0);
        return {std::clamp<std::int64_t>(f.byteOf(y0, 0), 0, size),
                std::clamp<std::int64_t>(end, 0, size)};
    }
    return modBITMAPinfo::BytesOfRows(l.Indices(), y0, y1, size);
}

}  // namespace rastel::core
