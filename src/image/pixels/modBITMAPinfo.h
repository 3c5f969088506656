// The image record of the program: the bitmap header, its 256-entry palette, the decoded
// palette indices and the view settings that produced them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/base/RawBytes.h"

namespace rastel::core {
struct PixelFormat;
}

namespace rastel::modBITMAPinfo {

// Laid out as the BMP format's BITMAPINFOHEADER so it can be written as it stands.
struct BITMAPINFOHEADER {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // positive: rows stored bottom-up
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;

    bool operator==(const BITMAPINFOHEADER&) const = default;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;

    bool operator==(const RGBQUAD&) const = default;
};
static_assert(sizeof(RGBQUAD) == 4);

constexpr int kPaletteSize = 256;
using Palette = RGBQUAD[kPaletteSize];

// Colour depth index, as the settings dialog's depth options number them.
enum Depth : std::int32_t { kDepth256 = 0, kDepth16 = 1, kDepth2 = 2 };

// Palette choice, as the settings dialog's palette options number them.
enum PaletteChoice : std::int32_t {
    kPalGrey = 0,
    kPalThermo = 1,
    kPalBinary = 2,
    kPalRainbow = 3,
    kPalEarth = 4,
    kPalLibrary = 5,
    kPalCustom = 6,
};

// Sizes and positions are 64-bit: a large file at 2 colours has more pixels than 32 bits count.
struct ViewSettings {
    std::int64_t gFileSize = 0;
    std::int64_t gPicWidth = 0;
    std::int64_t gPicHeight = 0;
    std::int32_t gColBit = kDepth256;
    std::int32_t gPalColor = kPalGrey;
    std::int32_t gEditHeight = 0;  // nothing sets it: the dialog always edits the width
    std::string gFileName;
    std::int32_t gArray2 = 0;
    std::int32_t gArray16 = 0;
    std::int32_t gArray256 = 0;
    std::int32_t gMagX = 0;  // the settings dialog turns 0 into 1 when it first opens
    std::int32_t gMagY = 0;
    bool gSynXY = false;
    bool gUseOffset = false;
    std::int64_t gOffA = 0;  // pixels of the depth; bytes when a direct format is chosen
    // How the bytes hold pixels: nullptr, palette indices at gColBit in its order; otherwise a
    // colour format of the table (core::kColourFormats), whose colours need no palette.
    const core::PixelFormat* gFormat = nullptr;
    std::int64_t gStride =
        0;  // bytes from one row's start to the next in a direct format; 0: packed
    // Rows of each frame of a format with planes; 0: the whole file one frame.
    std::int64_t gFrameHeight = 0;

    bool operator==(const ViewSettings&) const = default;
};

struct DibImage {
    BITMAPINFOHEADER bmiHeader;
    Palette bmiColors = {};
    // One palette index per pixel, rows bottom-up and padded to 4 bytes, plus one zero byte
    // beyond biSizeImage. Empty before the first decode.
    std::vector<std::uint8_t> bits;
    ViewSettings settings;
};

extern DibImage gDib;

// The shown file's bytes, replaced only by a read that got all of them; none once the picture
// is cleared.
extern SharedBytes gRawData;

// What a picture is drawn with: the settings dialog takes these and returns the ones chosen.
struct ViewChoice {
    ViewSettings settings;
    Palette palette = {};
};

// The settings and palette that image holds.
ViewChoice ChoiceOf(const DibImage& image);

// Bytes per stored row: the width rounded up to a multiple of 4.
constexpr std::int64_t RowStride(std::int64_t width) {
    return width + ((4 - (width % 4)) & 3);
}

// Pixels the file supplies per byte at a depth; 0 for an unknown depth.
constexpr std::int64_t PixelsPerByte(std::int32_t depth) {
    switch (depth) {
        case kDepth256:
            return 1;
        case kDepth16:
            return 2;
        case kDepth2:
            return 8;
        default:
            return 0;
    }
}

// The pixels a file of fileSize bytes holds at a depth (0 for an unknown depth).
// 64-bit: a 2 GB file at 2 colours has over 17 billion.
constexpr std::int64_t PixelCount(std::int64_t fileSize, std::int32_t depth) {
    return fileSize * PixelsPerByte(depth);
}

// The fewest rows of width pixels that hold all pixels (width at least 1).
constexpr std::int64_t HeightForWidth(std::int64_t pixels, std::int64_t width) {
    return pixels / width + (pixels % width != 0 ? 1 : 0);
}

// The pixel order that applies at the settings' current depth (-1 for an unknown depth).
std::int32_t CurrentOrder(const ViewSettings& s);

// How many orders a depth offers in its list.
std::int32_t OrderCount(std::int32_t depth);

// The width a newly loaded file is shown at: 128, or the file's size when it is smaller.
constexpr std::int64_t DefaultWidth(std::int64_t fileSize) {
    return fileSize >= 128 ? 128 : fileSize;
}

// The settings a newly loaded file gets; depth, format, palette, orders and magnifications are
// kept.
void SetForNewFile(ViewSettings& s, const std::string& path, std::int64_t size);

// Closing the picture: one zero byte of pixels and no file name; everything else stays.
void ClearPicture(DibImage& image);

}  // namespace rastel::modBITMAPinfo
