// Formats whose bytes hold colours directly, as raw frames from cameras, displays and games do:
// one table, each format its bytes per pixel and where its channels sit, read by one decoder.
// Their pictures are laid out in bytes: an offset in bytes and an optional row stride.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "image/base/Outcome.h"
#include "image/rules/LayoutLimits.h"

namespace rastel::core {

using ByteSpan = std::span<const std::uint8_t>;

enum class FormatFamily {
    Opaque,  // red, green, blue
    Alpha,   // red, green, blue and how opaque
    Gray16,  // one 16-bit value
    Yuv422,  // a Y of its own; each pair of pixels shares its U and V
};

// Bits [shift, shift + bits) of a number; bits 0: the format has no such channel.
struct BitField {
    std::uint8_t shift = 0;
    std::uint8_t bits = 0;

    constexpr std::uint32_t Of(std::uint32_t v) const {
        return (v >> shift) & ((std::uint32_t{1} << bits) - 1);
    }
};

// An 8-bit channel in byte i of the number (the first byte when little-endian).
constexpr BitField InByte(int i) {
    return {static_cast<std::uint8_t>(8 * i), 8};
}

struct PixelFormat {
    std::string_view name;  // as the renderer's option and video tools name it
    FormatFamily family;
    std::int32_t bytes;  // per pixel
    bool bigEndian;      // how a pixel's bytes make one number: the first byte highest or lowest
    // Fields of that number. Opaque and Alpha: red, green, blue, alpha (none when opaque).
    // Gray16: the value. Yuv422: Y, of the pixel's own number; then U and V, of the
    // little-endian number its pair's four bytes make.
    std::array<BitField, 4> fields;
    std::string_view caption;  // as the windows' lists show it
};

inline constexpr BitField kNone{};

// Item 0 of the settings dialog's list.
inline constexpr std::string_view kPaletteIndicesCaption = "パレット番号（単位と配列のとおり）";

// In the order of the settings dialog's list, after the palette indices; an entry a format,
// its caption on the line under it.
// clang-format off
inline constexpr std::array<PixelFormat, 16> kFormats = {{
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
}};
// clang-format on

// The format of that name, or nullptr.
const PixelFormat* FindFormat(std::string_view name);
// Every name, in the table's order, separator between them: for a usage message.
std::string FormatNames(std::string_view separator);
// Item `choice` of the settings dialog's list: nullptr for item 0 (palette indices) or a
// number outside the list.
const PixelFormat* ChosenFormat(std::int32_t choice);
// The inverse: the list item that names a format of the table.
std::int32_t ChoiceOf(const PixelFormat& format);

// A channel of fewer than 8 bits spread over 0..255 by repeating its bits, so that its
// largest value becomes 255 (5 bits: v << 3 | v >> 2); 8 bits or more stay as they are.
constexpr std::uint32_t Widen(std::uint32_t v, int bits) {
    return bits >= 8 ? v : v << (8 - bits) | v >> (2 * bits - 8);
}

struct FormatLayout {
    // An entry of the table, never a copy: the decoders keep lookups per entry.
    const PixelFormat* format = &kFormats[0];
    std::int64_t width = 1;   // pixels of the format
    std::int64_t height = 1;  // rows
    std::int64_t offset = 0;  // bytes; bytes before the file's start read as 0
    std::int64_t stride = 0;  // bytes from one row's start to the next; 0: rows packed

    // A layout with the height the file gives (FormatHeight).
    static FormatLayout For(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                            std::int64_t offset, std::int64_t stride);

    std::int64_t rowBytes() const { return stride != 0 ? stride : width * format->bytes; }
    // Where pixel (x, y) starts: offset + y * rowBytes() + x * bytes per pixel, held at the
    // 64-bit limits, where it lies outside any data either way.
    std::int64_t byteOf(std::int64_t y, std::int64_t x) const;
};

// Pixels a file of fileSize bytes holds, a last one cut short counted.
std::int64_t FormatPixelCount(const PixelFormat& format, std::int64_t fileSize);
// Rows: the pixel count over the width, rounded up, for packed rows; with a stride, the file
// size over it, rounded up (the same where the stride is the row's bytes).
std::int64_t FormatHeight(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                          std::int64_t stride);

// Whether settings can show a file in a format: done, or why not (kFileTooShort,
// kWidthTooSmall, kWidthTooLarge, kStrideTooSmall, kStrideTooLarge, kOffsetTooLarge); the
// callers word it. Each field's rule alone, for a field checked as it is typed:
Outcome CheckFormatWidth(const PixelFormat& format, std::int64_t fileSize, std::int64_t width);
Outcome CheckStride(const PixelFormat& format, std::int64_t width, std::int64_t stride);
Outcome CheckByteOffset(std::int64_t offset);
// All of them, the first problem in the order above.
Outcome CheckFormatLayout(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                          std::int64_t offset, std::int64_t stride);

}  // namespace rastel::core
