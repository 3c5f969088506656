#include "image/pixels/modCLUT.h"

#include <cstdio>
#include <cstdlib>

namespace rastel::modCLUT {

CustomPalette gCustomPal;

namespace {

std::uint8_t Step(std::uint8_t from, std::uint8_t to, int k, int n) {
    // Integer division truncates toward zero, which the stepping relies on.
    return static_cast<std::uint8_t>(from + k * (to - from) / n);
}

}  // namespace

bool Gradient(modBITMAPinfo::Palette& colors, int a, int z) {
    const auto inRange = [](int i) { return i >= 0 && i < modBITMAPinfo::kPaletteSize; };
    const int n = std::abs(a - z);
    if (!inRange(a) || !inRange(z) || n < 2) {
        return false;
    }
    const int s = a < z ? 1 : -1;
    const modBITMAPinfo::RGBQUAD start = colors[a];
    const modBITMAPinfo::RGBQUAD end = colors[z];
    for (int i = a + s; i != z; i += s) {
        const int k = std::abs(i - a);
        colors[i].rgbRed = Step(start.rgbRed, end.rgbRed, k, n);
        colors[i].rgbGreen = Step(start.rgbGreen, end.rgbGreen, k, n);
        colors[i].rgbBlue = Step(start.rgbBlue, end.rgbBlue, k, n);
    }
    return true;
}

std::string ReadoutText(int index, const modBITMAPinfo::RGBQUAD& c) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%3d(%02X) | R:%3d G:%3d B:%3d[#%02X%02X%02X]", index,
                  index, c.rgbRed, c.rgbGreen, c.rgbBlue, c.rgbBlue, c.rgbGreen, c.rgbRed);
    return "パレット番号" + std::string(buffer);
}

}  // namespace rastel::modCLUT
