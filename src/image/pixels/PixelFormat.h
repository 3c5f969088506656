// Every way the bytes of a file hold pixels, one table: palette indices at each depth and order,
// and the formats whose bytes hold colours directly, as raw frames from cameras, displays and
// games do, each its bytes per pixel and where its channels sit. A format is named by its
// entry. Pictures of palette indices count their offset in pixels of the depth; those of the
// colour formats in bytes, with an optional row stride.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "image/base/Outcome.h"
#include "image/pixels/modBITMAPinfo.h"
#include "image/rules/LayoutLimits.h"

namespace rastel::core {

using ByteSpan = std::span<const std::uint8_t>;

enum class FormatFamily {
    Indices,  // palette indices of 8, 4 or 1 bits, at the depth and order the entry names
    Opaque,   // red, green, blue
    Alpha,    // red, green, blue and how opaque
    Gray16,   // one value in the low bits of a 16-bit number: 16, 12 or 10 of them
    Yuv422,   // a Y of its own; each pair of pixels shares its U and V
    Planar,   // frames: a plane of Y, then U and V at a lower resolution in planes of their own
    Bayer,    // one sample a pixel, a colour mosaic of 2 x 2 sites
};

// How a frame of a format with planes lies: the Y of every pixel, then its chroma, a sample
// for 2^h columns and 2^v rows, U and V each in a plane or both interleaved in one.
struct Planes {
    std::uint8_t h = 0;
    std::uint8_t v = 0;
    bool interleaved = false;
    bool vFirst = false;  // V's plane, or V of each pair, before U's
};

// The colours of a mosaic's sites: red 0, green 1, blue 2 at (row % 2) * 2 + column % 2.
using Sites = std::array<std::uint8_t, 4>;

// Bits [shift, shift + bits) of a number; bits 0: the format has no such channel.
struct BitField {
    std::uint8_t shift = 0;
    std::uint8_t bits = 0;

    constexpr std::uint32_t Of(std::uint64_t v) const {
        return static_cast<std::uint32_t>((v >> shift) & ((std::uint64_t{1} << bits) - 1));
    }
};

// An 8-bit channel in byte i of the number (the first byte when little-endian).
constexpr BitField InByte(int i) {
    return {static_cast<std::uint8_t>(8 * i), 8};
}
// A 16-bit channel of a pixel of several: its bits in the number the pixel's bytes make.
constexpr BitField InWord(int i) {
    return {static_cast<std::uint8_t>(16 * i), 16};
}

struct PixelFormat {
    std::string_view name;  // as the renderer's option and video tools name it
    FormatFamily family;
    // Per pixel; Indices: 1, the pixels a byte holds following the depth; Planar and Bayer:
    // per sample.
    std::int32_t bytes;
    bool bigEndian;  // how a pixel's bytes make one number: the first byte highest or lowest
    // Fields of that number. Opaque and Alpha: red, green, blue, alpha (none when opaque).
    // Gray16: the value. Yuv422: Y, of the pixel's own number; then U and V, of the
    // little-endian number its pair's four bytes make. Planar and Bayer: a sample's value.
    std::array<BitField, 4> fields;
    std::string_view caption;  // as the windows' lists show it
    // Indices: the depth (modBITMAPinfo::Depth) and the order of pixels within bytes, as the
    // settings dialog numbers them.
    std::int32_t depth = 0;
    std::int32_t order = 0;
    Planes planes{};  // Planar only
    Sites sites{};    // Bayer only
};

inline constexpr BitField kNone{};

// Item 0 of the settings dialog's list.
inline constexpr std::string_view kPaletteIndicesCaption = "パレット番号（単位と配列のとおり）";

// Palette indices at a depth and order: its entry's name.
constexpr PixelFormat Indices(std::string_view name, std::int32_t depth, std::int32_t order) {
    return {name, FormatFamily::Indices, 1, false, {}, kPaletteIndicesCaption, depth, order};
}

// The palette indices first, by depth (256, 16, 2 colours) and order; then the colour formats
// in the order of the settings dialog's list, after its item for palette indices: an entry a
// format, its caption on the line under it.
inline constexpr std::size_t kIndexFormats = 8;

// Y, U and V in planes, samples of `bytes` whose value is `value`.
constexpr PixelFormat Planar(std::string_view name, std::int32_t bytes, BitField value,
                             Planes planes, std::string_view caption) {
    return {name,
            FormatFamily::Planar,
            bytes,
            false,
            {value, kNone, kNone, kNone},
            caption,
            0,
            0,
            planes,
            {}};
}
// A mosaic whose first row starts with sites of colours s0, s1 and the second with s2, s3.
constexpr PixelFormat Mosaic(std::string_view name, std::int32_t bytes, Sites sites,
                             std::string_view caption) {
    return {name,
            FormatFamily::Bayer,
            bytes,
            false,
            {BitField{0, static_cast<std::uint8_t>(8 * bytes)}, kNone, kNone, kNone},
            caption,
            0,
            0,
            {},
            sites};
}
inline constexpr Sites kRggb{0, 1, 1, 2}, kBggr{2, 1, 1, 0}, kGrbg{1, 0, 2, 1}, kGbrg{1, 2, 0, 1};
// clang-format off
inline constexpr std::array<PixelFormat, kIndexFormats + 43> kFormats = {{
    Indices("pal8", modBITMAPinfo::kDepth256, 0), Indices("pal8.1", modBITMAPinfo::kDepth256, 1),
    Indices("pal8.2", modBITMAPinfo::kDepth256, 2),
    Indices("pal4", modBITMAPinfo::kDepth16, 0), Indices("pal4.1", modBITMAPinfo::kDepth16, 1),
    Indices("pal4.2", modBITMAPinfo::kDepth16, 2),
    Indices("pal1", modBITMAPinfo::kDepth2, 0), Indices("pal1.1", modBITMAPinfo::kDepth2, 1),
    {"rgb24", FormatFamily::Opaque, 3, false, {InByte(0), InByte(1), InByte(2), kNone},
     "RGB 24ビット"},
    {"bgr24", FormatFamily::Opaque, 3, false, {InByte(2), InByte(1), InByte(0), kNone},
     "BGR 24ビット"},
    {"rgb0", FormatFamily::Opaque, 4, false, {InByte(0), InByte(1), InByte(2), kNone},
     "RGB0 32ビット"},
    {"bgr0", FormatFamily::Opaque, 4, false, {InByte(2), InByte(1), InByte(0), kNone},
     "BGR0 32ビット"},
    {"rgba", FormatFamily::Alpha, 4, false, {InByte(0), InByte(1), InByte(2), InByte(3)},
     "RGBA 32ビット"},
    {"bgra", FormatFamily::Alpha, 4, false, {InByte(2), InByte(1), InByte(0), InByte(3)},
     "BGRA 32ビット"},
    {"argb", FormatFamily::Alpha, 4, false, {InByte(1), InByte(2), InByte(3), InByte(0)},
     "ARGB 32ビット"},
    {"abgr", FormatFamily::Alpha, 4, false, {InByte(3), InByte(2), InByte(1), InByte(0)},
     "ABGR 32ビット"},
    {"rgb565le", FormatFamily::Opaque, 2, false, {{{11, 5}, {5, 6}, {0, 5}, kNone}},
     "RGB565 リトルエンディアン"},
    {"rgb565be", FormatFamily::Opaque, 2, true, {{{11, 5}, {5, 6}, {0, 5}, kNone}},
     "RGB565 ビッグエンディアン"},
    {"bgr565le", FormatFamily::Opaque, 2, false, {{{0, 5}, {5, 6}, {11, 5}, kNone}},
     "BGR565 リトルエンディアン"},
    {"rgb555le", FormatFamily::Opaque, 2, false, {{{10, 5}, {5, 5}, {0, 5}, kNone}},
     "RGB555 リトルエンディアン"},
    {"gray16le", FormatFamily::Gray16, 2, false, {{{0, 16}, kNone, kNone, kNone}},
     "グレー 16ビット リトルエンディアン"},
    {"gray16be", FormatFamily::Gray16, 2, true, {{{0, 16}, kNone, kNone, kNone}},
     "グレー 16ビット ビッグエンディアン"},
    {"yuyv422", FormatFamily::Yuv422, 2, false, {InByte(0), InByte(1), InByte(3), kNone},
     "YUYV 4:2:2"},
    {"uyvy422", FormatFamily::Yuv422, 2, false, {InByte(1), InByte(0), InByte(2), kNone},
     "UYVY 4:2:2"},
    Planar("yuv420p", 1, {0, 8}, {1, 1, false, false}, "YUV420P プレーナー"),
    Planar("yv12", 1, {0, 8}, {1, 1, false, true}, "YV12 プレーナー"),
    Planar("yuv422p", 1, {0, 8}, {1, 0, false, false}, "YUV422P プレーナー"),
    Planar("yuv444p", 1, {0, 8}, {0, 0, false, false}, "YUV444P プレーナー"),
    Planar("yuv411p", 1, {0, 8}, {2, 0, false, false}, "YUV411P プレーナー"),
    Planar("nv12", 1, {0, 8}, {1, 1, true, false}, "NV12 セミプレーナー"),
    Planar("nv21", 1, {0, 8}, {1, 1, true, true}, "NV21 セミプレーナー"),
    Planar("nv16", 1, {0, 8}, {1, 0, true, false}, "NV16 セミプレーナー"),
    Planar("nv24", 1, {0, 8}, {0, 0, true, false}, "NV24 セミプレーナー"),
    Planar("yuv420p10le", 2, {0, 10}, {1, 1, false, false}, "YUV420P 10ビット リトルエンディアン"),
    Planar("yuv422p10le", 2, {0, 10}, {1, 0, false, false}, "YUV422P 10ビット リトルエンディアン"),
    Planar("p010le", 2, {6, 10}, {1, 1, true, false}, "P010 リトルエンディアン"),
    Planar("p016le", 2, {0, 16}, {1, 1, true, false}, "P016 リトルエンディアン"),
    {"rgb48le", FormatFamily::Opaque, 6, false, {InWord(0), InWord(1), InWord(2), kNone},
     "RGB 48ビット リトルエンディアン"},
    {"rgb48be", FormatFamily::Opaque, 6, true, {InWord(2), InWord(1), InWord(0), kNone},
     "RGB 48ビット ビッグエンディアン"},
    {"rgba64le", FormatFamily::Alpha, 8, false, {InWord(0), InWord(1), InWord(2), InWord(3)},
     "RGBA 64ビット リトルエンディアン"},
    {"rgba64be", FormatFamily::Alpha, 8, true, {InWord(3), InWord(2), InWord(1), InWord(0)},
     "RGBA 64ビット ビッグエンディアン"},
    {"gray10le", FormatFamily::Gray16, 2, false, {{{0, 10}, kNone, kNone, kNone}},
     "グレー 10ビット リトルエンディアン"},
    {"gray12le", FormatFamily::Gray16, 2, false, {{{0, 12}, kNone, kNone, kNone}},
     "グレー 12ビット リトルエンディアン"},
    Mosaic("bayer_rggb8", 1, kRggb, "ベイヤー RGGB 8ビット"),
    Mosaic("bayer_bggr8", 1, kBggr, "ベイヤー BGGR 8ビット"),
    Mosaic("bayer_grbg8", 1, kGrbg, "ベイヤー GRBG 8ビット"),
    Mosaic("bayer_gbrg8", 1, kGbrg, "ベイヤー GBRG 8ビット"),
    Mosaic("bayer_rggb16le", 2, kRggb, "ベイヤー RGGB 16ビット リトルエンディアン"),
    Mosaic("bayer_bggr16le", 2, kBggr, "ベイヤー BGGR 16ビット リトルエンディアン"),
    Mosaic("bayer_grbg16le", 2, kGrbg, "ベイヤー GRBG 16ビット リトルエンディアン"),
    Mosaic("bayer_gbrg16le", 2, kGbrg, "ベイヤー GBRG 16ビット リトルエンディアン"),
}};
// clang-format on
static_assert(!kFormats.back().name.empty(), "the table's size counts its entries");

// The colour formats, in the table's order.
inline constexpr std::span<const PixelFormat> kColourFormats{kFormats.data() + kIndexFormats,
                                                             kFormats.size() - kIndexFormats};
// The palette indices at a depth and order; nullptr for a depth or order no dialog offers.
const PixelFormat* IndexFormat(std::int32_t depth, std::int32_t order);

// The colour format of that name, or nullptr.
const PixelFormat* FindFormat(std::string_view name);
// Every colour format's name, in the table's order, separator between them: for a usage
// message.
std::string FormatNames(std::string_view separator);
// Item `choice` of the settings dialog's list: nullptr for item 0 (palette indices, at the
// depth and order chosen beside it) or a number outside the list.
const PixelFormat* ChosenFormat(std::int32_t choice);
// The inverse: the list item that shows an entry of the table.
std::int32_t ChoiceOf(const PixelFormat& format);

// A channel as a level of 0..255: fewer than 8 bits spread by repeating its bits, so that its
// largest value becomes 255 (5 bits: v << 3 | v >> 2); more than 8 its high 8 (16: v >> 8).
constexpr std::uint32_t Widen(std::uint32_t v, int bits) {
    return bits > 8 ? v >> (bits - 8) : bits == 8 ? v : v << (8 - bits) | v >> (2 * bits - 8);
}

// A grey value of fewer than 16 bits spread over 0..65535 by repeating its bits, as video
// tools scale 10- and 12-bit grey to 16 (10 bits: v << 6 | v >> 4); 16 bits stay as they are.
constexpr std::uint16_t WidenTo16(std::uint32_t v, int bits) {
    return static_cast<std::uint16_t>(bits >= 16 ? v : v << (16 - bits) | v >> (2 * bits - 16));
}

// Where a frame of a format with planes keeps its bytes, for luma rows of rowBytes and a
// frame of `rows` rows: its luma, then each chroma plane (one when interleaved).
struct FrameShape {
    std::int64_t chromaRowBytes = 0;  // a chroma row: the luma's over the subsampling
    std::int64_t chromaRows = 0;
    std::int64_t lumaBytes = 0;
    std::int64_t chromaBytes = 0;  // of one plane
    std::int64_t frameBytes = 0;   // every plane's, held at the 64-bit limit
};
FrameShape FrameShapeOf(const PixelFormat& format, std::int64_t rowBytes, std::int64_t rows);

struct FormatLayout {
    // An entry of the table, never a copy: the decoders keep lookups per entry.
    const PixelFormat* format = &kColourFormats[0];
    std::int64_t width = 1;   // pixels of the format
    std::int64_t height = 1;  // rows, every frame's
    std::int64_t offset = 0;  // bytes; bytes before the file's start read as 0
    std::int64_t stride = 0;  // bytes from one row's start to the next; 0: rows packed
    // Formats with planes: the rows of each frame; 0: the whole picture is one frame.
    std::int64_t frameHeight = 0;

    // A layout with the height the file gives (FormatHeight).
    static FormatLayout For(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                            std::int64_t offset, std::int64_t stride, std::int64_t frameHeight = 0);

    std::int64_t rowBytes() const { return stride != 0 ? stride : width * format->bytes; }
    bool planar() const { return format->family == FormatFamily::Planar; }
    std::int64_t frameRows() const { return frameHeight > 0 ? frameHeight : height; }
    FrameShape frame() const { return FrameShapeOf(*format, rowBytes(), frameRows()); }
    // Where pixel (x, y) starts: offset + y * rowBytes() + x * bytes per pixel, held at the
    // 64-bit limits, where it lies outside any data either way.
    std::int64_t byteOf(std::int64_t y, std::int64_t x) const;
};

// Pixels a file of fileSize bytes holds, a last one cut short counted.
std::int64_t FormatPixelCount(const PixelFormat& format, std::int64_t fileSize);
// Rows: the pixel count over the width, rounded up, for packed rows; with a stride, the file
// size over it, rounded up (the same where the stride is the row's bytes). A format with planes
// counts the frames whose luma the file holds whole, of frameHeight rows each, or of as many
// as one frame of the file holds where frameHeight is 0.
std::int64_t FormatHeight(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                          std::int64_t stride, std::int64_t frameHeight = 0);

// Whether settings can show a file in a format: done, or why not (kFileTooShort,
// kWidthTooSmall, kWidthTooLarge, kStrideTooSmall, kStrideTooLarge, kFrameTooTall,
// kOffsetTooLarge); the callers word it. Each field's rule alone, for a field checked as it is
// typed:
Outcome CheckFormatWidth(const PixelFormat& format, std::int64_t fileSize, std::int64_t width);
Outcome CheckStride(const PixelFormat& format, std::int64_t width, std::int64_t stride);
// A frame whose luma the file holds, of rows of the width or stride; any for a format without
// planes, which takes none.
Outcome CheckFrameHeight(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                         std::int64_t stride, std::int64_t frameHeight);
Outcome CheckByteOffset(std::int64_t offset);
// All of them, the first problem in the order above.
Outcome CheckFormatLayout(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                          std::int64_t offset, std::int64_t stride, std::int64_t frameHeight = 0);

}  // namespace rastel::core
