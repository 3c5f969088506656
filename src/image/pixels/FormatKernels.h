// Tight loops that decode runs of pixels in a direct format whose bytes all lie inside the
// data, and the YUV arithmetic they share with the plain rule.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "image/pixels/PixelFormat.h"

namespace rastel::core::formatKernels {

// BT.601, limited range, times 2^20: Y's scale, V's share of red, U's and V's of green, U's of
// blue.
inline constexpr int kYuvBits = 20;
inline constexpr std::int32_t kYScale = 1220945;  // 255 / 219
inline constexpr std::int32_t kRedV = 1673555;    // 255 / 224 * 1.402
inline constexpr std::int32_t kGreenU = 410793;   // 255 / 224 * 1.772 * 0.114 / 0.587
inline constexpr std::int32_t kGreenV = 852458;   // 255 / 224 * 1.402 * 0.299 / 0.587
inline constexpr std::int32_t kBlueU = 2115221;   // 255 / 224 * 1.772

// What a pair's U and V add to each channel, and a pixel's colour from them and its Y.
struct Chroma {
    std::int32_t red, green, blue;

    Chroma(int u, int v)
        : red(kRedV * (v - 128)),
          green(-kGreenU * (u - 128) - kGreenV * (v - 128)),
          blue(kBlueU * (u - 128)) {}

    std::uint32_t Colour(int y) const {
        const std::int32_t luma = kYScale * (y - 16) + (1 << (kYuvBits - 1));
        auto level = [luma](std::int32_t c) {
            return static_cast<std::uint32_t>(std::clamp((luma + c) >> kYuvBits, 0, 255));
        };
        return 0xFF000000u | level(red) << 16 | level(green) << 8 | level(blue);
    }
};

// The colours of count pixels from their Y, U and V, a byte each in three runs.
void YuvColours(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                std::int64_t count, std::uint8_t* out);

// Decodes count pixels from in into out, DecodedBytes each, every byte they need inside the
// data. For Yuv422, in points at the first pixel's pair, and phase is 1 when that pixel is the
// pair's second; otherwise phase is 0 and in points at the first pixel.
void Decode(const PixelFormat& format, const std::uint8_t* in, int phase, std::int64_t count,
            std::uint8_t* out);

// Where a format whose channels are whole bytes (rgb24 bgr24 rgb0 bgr0, and those with alpha)
// keeps red, green, blue and alpha (-1: none) among a pixel's bytes; nothing for the others.
std::optional<std::array<std::int8_t, 4>> ChannelBytes(const PixelFormat& format);

// Pixels of inBytes each rearranged without decoding: byte c of each of the count pixels in
// out, outBytes of them, is byte from[c] of its pixel in in.
void PickBytes(const std::uint8_t* in, int inBytes, const std::array<std::int8_t, 4>& from,
               int outBytes, std::int64_t count, std::uint8_t* out);

// Adds count gray16 values from in to range.
void AddGray16(const PixelFormat& format, const std::uint8_t* in, std::int64_t count,
               std::uint16_t& lo, std::uint16_t& hi);

}  // namespace rastel::core::formatKernels
