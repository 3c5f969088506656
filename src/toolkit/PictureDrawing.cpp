#include "toolkit/PictureDrawing.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

namespace rastel::toolkit {

using modBITMAPinfo::DibImage;

QImage ExpandIndexed(const DibImage& image, int magX, int magY, std::int64_t x0, std::int64_t y0,
                     int width, int height) {
    core::PictureRows rows;
    rows.ShowRecord(image);
    return ExpandPicture(rows, image.bmiColors, magX, magY, x0, y0, width, height);
}

QImage ExpandPicture(core::PictureRows& rows, const modBITMAPinfo::Palette& palette, int magX,
                     int magY, std::int64_t x0, std::int64_t y0, int width, int height) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    QImage out(width, height, QImage::Format_RGB32);
    if (out.isNull()) {
        return out;
    }
    out.fill(Qt::black);
    const std::int64_t w = rows.Width();
    const std::int64_t h = rows.Height();
    if (magX < 1 || magY < 1 || w < 1 || h < 1) {
        return out;
    }
    // The picture columns and rows in view, clipped to the picture.
    auto first = [](std::int64_t pos, int mag) { return pos >= 0 ? pos / mag : 0; };
    const std::int64_t px0 = first(x0, magX);
    const std::int64_t py0 = first(y0, magY);
    const std::int64_t px1 = std::min(w, (x0 + width + magX - 1) / magX);
    const std::int64_t py1 = std::min(h, (y0 + height + magY - 1) / magY);
    if (px0 >= px1 || py0 >= py1 || !rows.Prepare(px0, py0, px1, py1)) {
        return out;
    }
    // The palette stores blue, green, red; the fourth byte is not alpha.
    std::array<QRgb, modBITMAPinfo::kPaletteSize> colours;
    for (int i = 0; i < modBITMAPinfo::kPaletteSize; ++i) {
        const auto& e = palette[i];
        colours[i] = qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue);
    }
    // Which prepared column each output column shows; -1 outside the picture.
    std::vector<std::int32_t> column(static_cast<std::size_t>(width));
    for (int c = 0; c < width; ++c) {
        const std::int64_t px = (x0 + c) >= 0 ? (x0 + c) / magX : -1;
        column[c] = px >= px0 && px < px1 ? static_cast<std::int32_t>(px - px0) : -1;
    }
    const bool direct = rows.FromFormat();
    const bool checker = direct && rows.Layout().format->family == core::FormatFamily::Alpha;
    std::int64_t lastRow = -1;
    for (int r = 0; r < height; ++r) {
        const std::int64_t py = (y0 + r) >= 0 ? (y0 + r) / magY : -1;
        if (py < py0 || py >= py1) {
            continue;
        }
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(r));
        // The next screen row of the same block, over the same row of checkerboard squares:
        // a copy of the one above.
        if (py == lastRow &&
            (!checker || (y0 + r) / core::kCheckerSquare == (y0 + r - 1) / core::kCheckerSquare)) {
            std::memcpy(line, out.constScanLine(r - 1), static_cast<std::size_t>(width) * 4);
            continue;
        }
        const std::uint8_t* src = rows.Row(py, px0);
        if (!direct) {
            for (int c = 0; c < width; ++c) {
                if (column[c] >= 0) {
                    line[c] = colours[src[column[c]]];
                }
            }
        } else {
            for (int c = 0; c < width; ++c) {
                if (column[c] < 0) {
                    continue;
                }
                std::uint32_t argb;
                std::memcpy(&argb, src + 4 * column[c], 4);
                const std::uint32_t a = argb >> 24;
                line[c] = !checker || a == 255 ? argb
                          : a == 0 ? 0xFF000000u | 0x010101u * core::CheckerTone(x0 + c, y0 + r)
                                   : core::OverGrey(argb, core::CheckerTone(x0 + c, y0 + r));
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
