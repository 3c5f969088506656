#include "toolkit/PictureDrawing.h"

#include <array>
#include <climits>
#include <cstring>
#include <vector>

namespace rastel::toolkit {

using modBITMAPinfo::DibImage;

QImage ExpandIndexed(const DibImage& image, int magX, int magY, std::int64_t x0, std::int64_t y0,
                     int width, int height) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    QImage out(width, height, QImage::Format_RGB32);
    if (out.isNull()) {
        return out;
    }
    out.fill(Qt::black);
    const std::int64_t w = image.bmiHeader.biWidth;
    const std::int64_t h = image.bmiHeader.biHeight;
    const std::int64_t stride = modBITMAPinfo::RowStride(w);
    if (magX < 1 || magY < 1 || w < 1 || h < 1 ||
        static_cast<std::int64_t>(image.bits.size()) < stride * h) {
        return out;
    }
    // The palette stores blue, green, red; the fourth byte is not alpha.
    std::array<QRgb, modBITMAPinfo::kPaletteSize> colours;
    for (int i = 0; i < modBITMAPinfo::kPaletteSize; ++i) {
        const auto& e = image.bmiColors[i];
        colours[i] = qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue);
    }
    // Which picture column each output column shows; -1 outside the picture.
    std::vector<std::int64_t> column(static_cast<std::size_t>(width));
    for (int c = 0; c < width; ++c) {
        const std::int64_t px = (x0 + c) >= 0 ? (x0 + c) / magX : -1;
        column[c] = px < w ? px : -1;
    }
    std::int64_t lastRow = -1;
    for (int r = 0; r < height; ++r) {
        const std::int64_t py = (y0 + r) >= 0 ? (y0 + r) / magY : -1;
        if (py < 0 || py >= h) {
            continue;
        }
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(r));
        if (py == lastRow) {
            // The next screen row of the same block: a copy of the one above.
            std::memcpy(line, out.constScanLine(r - 1), static_cast<std::size_t>(width) * 4);
            continue;
        }
        const std::uint8_t* src = image.bits.data() + (h - 1 - py) * stride;
        for (int c = 0; c < width; ++c) {
            if (column[c] >= 0) {
                line[c] = colours[src[column[c]]];
            }
        }
        lastRow = py;
    }
    return out;
}

bool FitsOneImage(std::int64_t width, std::int64_t height, std::int64_t maxBytes) {
    return width >= 1 && height >= 1 && width <= INT_MAX / 4 && height <= INT_MAX &&
           width * 4 <= maxBytes / height;
}

}  // namespace rastel::toolkit
