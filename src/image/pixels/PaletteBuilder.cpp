#include "image/pixels/PaletteBuilder.h"

namespace rastel::modBITMAPinfo {

namespace {

// rgbReserved is never written: it stays as it was.
void SetColour(RGBQUAD& e, int r, int g, int b) {
    e.rgbRed = static_cast<std::uint8_t>(r);
    e.rgbGreen = static_cast<std::uint8_t>(g);
    e.rgbBlue = static_cast<std::uint8_t>(b);
}

void SetGrey(RGBQUAD& e, int level) {
    SetColour(e, level, level, level);
}

void Grey(Palette& pal, std::int32_t depth) {
    switch (depth) {
        case kDepth256:
            for (int i = 0; i < 256; ++i) {
                SetGrey(pal[i], i);
            }
            break;
        case kDepth16:
            for (int i = 0; i < 16; ++i) {
                SetGrey(pal[i], 16 * i);
            }
            break;
        case kDepth2:
            SetGrey(pal[0], 0);
            SetGrey(pal[1], 255);
            break;
        default:
            break;
    }
}

// Red through orange and yellow to green.
void Thermo(Palette& pal, std::int32_t depth) {
    switch (depth) {
        case kDepth256:
            for (int i = 0; i < 128; ++i) {
                SetColour(pal[i], 255, 2 * i, 0);
                SetColour(pal[128 + i], 255 - 2 * i, 255, 0);
            }
            break;
        case kDepth16:
            for (int i = 0; i < 8; ++i) {
                SetColour(pal[i], 255, 32 * i, 0);
                SetColour(pal[8 + i], 255 - 32 * i, 255, 0);
            }
            break;
        case kDepth2:
            SetColour(pal[0], 0, 255, 0);
            SetColour(pal[1], 255, 0, 0);
            break;
        default:
            break;
    }
}

// Bands of byte values for analysis: zero, small, text-like, high, all ones.
void Binary(Palette& pal, std::int32_t depth) {
    auto band = [&pal](int from, int to, int r, int g, int b) {
        for (int i = from; i <= to; ++i) {
            SetColour(pal[i], r, g, b);
        }
    };
    switch (depth) {
        case kDepth256:
            band(0, 0, 255, 255, 255);
            band(1, 31, 0, 255, 255);
            band(32, 127, 255, 0, 0);
            band(128, 254, 0, 0, 127);
            band(255, 255, 0, 0, 0);
            break;
        case kDepth16:
            band(0, 0, 255, 255, 255);
            band(1, 7, 0, 255, 255);
            band(8, 14, 255, 0, 0);
            band(15, 15, 0, 0, 0);
            break;
        case kDepth2:
            SetColour(pal[0], 0, 255, 255);
            SetColour(pal[1], 255, 0, 0);
            break;
        default:
            break;
    }
}

void Custom(Palette& pal, std::int32_t depth, const Palette& custom) {
    const int count = depth == kDepth256 ? 256 : 16;
    for (int i = 0; i < count; ++i) {
        SetColour(pal[i], custom[i].rgbRed, custom[i].rgbGreen, custom[i].rgbBlue);
    }
}

// Entries no 16- or 2-colour pixel uses draw a question mark over an oval shadow when the
// palette is laid out 16 entries to a row.
void QuestionMark(Palette& pal) {
    static constexpr int k64[] = {53,  58,  72,  90,  101, 118, 131, 140, 148, 155, 167, 180,
                                  181, 186, 187, 193, 194, 205, 206, 212, 213, 218, 219};
    static constexpr int k128[] = {182, 183, 184, 185, 195, 196, 203, 204, 214, 215, 216, 217};
    static constexpr int k192[] = {54,  57,  69,  74,  85,  89,  102, 119,
                                   135, 151, 197, 198, 199, 200, 201, 202};
    static constexpr int k255[] = {55, 56, 70, 88};
    for (int i = 16; i < 256; ++i) {
        SetGrey(pal[i], 0);
    }
    for (int i : k64)
        SetGrey(pal[i], 64);
    for (int i : k128)
        SetGrey(pal[i], 128);
    for (int i : k192)
        SetGrey(pal[i], 192);
    for (int i : k255)
        SetGrey(pal[i], 255);
}

}  // namespace

void BuildPalette(DibImage& image, std::int32_t choice, std::int32_t depth, const Palette& custom) {
    BuildPalette(image.bmiColors, choice, depth, custom);
}

void BuildPalette(Palette& pal, std::int32_t choice, std::int32_t depth, const Palette& custom) {
    switch (choice) {
        case kPalGrey:
            Grey(pal, depth);
            break;
        case kPalThermo:
            Thermo(pal, depth);
            break;
        case kPalBinary:
            Binary(pal, depth);
            break;
        case kPalCustom:
            Custom(pal, depth, custom);
            break;
        default:
            break;  // rainbow, earth and library have no palette of their own
    }
    if (depth == kDepth16 || depth == kDepth2) {
        QuestionMark(pal);
    }
}

void BuildPaletteStrip(DibImage& image, std::int32_t depth) {
    const int colours = depth == kDepth256 ? 256 : depth == kDepth16 ? 16 : 2;
    for (int i = 0; i < colours; ++i) {
        SetGrey(image.bmiColors[i], i);
    }
    constexpr int kWidth = 256;
    constexpr int kHeight = 16;
    BITMAPINFOHEADER& h = image.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = kWidth;
    h.biHeight = kHeight;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biCompression = 0;
    h.biSizeImage = kWidth * kHeight;
    h.biClrUsed = 0;
    image.bits.assign(kWidth * kHeight + 1, 0);
    const int bandWidth = kWidth / colours;
    for (int row = 0; row < kHeight; ++row) {
        for (int x = 0; x < kWidth; ++x) {
            image.bits[row * kWidth + x] = static_cast<std::uint8_t>(x / bandWidth);
        }
    }
}

}  // namespace rastel::modBITMAPinfo
