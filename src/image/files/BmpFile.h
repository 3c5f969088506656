// The BMP file of a picture: a 14-byte file header, then the image record as it is held
// (40-byte info header, 256 palette entries, the pixel bytes with their extra zero byte);
// or, for a picture of colours, the header of a BMP of 24 or 32 bits per pixel, or of 8-bit
// grey levels.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/base/ByteSource.h"
#include "image/base/FileSink.h"
#include "image/pixels/PixelDecoder.h"
#include "image/pixels/modBITMAPinfo.h"

namespace rastel::core {

constexpr std::uint32_t kBmpPixelOffset = 14 + 40 + 1024;
using BmpHead = std::array<std::uint8_t, kBmpPixelOffset>;

// Everything before the pixel bytes, for pixel bytes of the given length.
BmpHead MakeBmpHead(const modBITMAPinfo::BITMAPINFOHEADER& header,
                    const modBITMAPinfo::Palette& palette, std::uint64_t pixelBytes);

// The whole file for an image record, exactly as the export writes it.
std::vector<std::uint8_t> BmpFileBytes(const modBITMAPinfo::DibImage& image);

// A picture of colours: 24 bits per pixel (blue, green, red), 32 (blue, green, red, alpha:
// a 108-byte header whose masks name the alpha byte, so that readers see it), or 8 (levels of
// a grey ramp palette). Rows bottom-up, each padded to a multiple of 4 bytes.
std::int64_t BmpRowBytes(int bitsPerPixel, std::int64_t width);
// Whether its header can describe the picture: sides and sizes within their 32-bit fields.
bool BmpHolds(int bitsPerPixel, std::int64_t width, std::int64_t height);
// Everything before its pixel bytes; the picture must pass BmpHolds.
std::vector<std::uint8_t> MakeBmpHead(int bitsPerPixel, std::int64_t width, std::int64_t height);

// Called as the rows of a picture go out, with how many have; false stops the write.
using WriteProgress = std::function<bool(std::int64_t rowsDone, std::int64_t rows)>;

// Writes the record's file to sink: done, cancelled, or the sink's failure.
Outcome WriteBmp(ByteSink& sink, const modBITMAPinfo::DibImage& image,
                 const WriteProgress& progress = {});

// Writes the same bytes that decoding into a record and saving it would, without holding
// the pixel array: rows are decoded a few at a time on their way to the sink.
// The layout must pass CheckBmpGeometry. Done, cancelled, or the source's or the sink's
// failure. chunkBytes bounds the pixel bytes held at once.
constexpr std::int64_t kStreamChunkBytes = 256 << 10;
Outcome WriteBmpStreamed(ByteSink& sink, const modBITMAPinfo::DecodeLayout& layout,
                         const modBITMAPinfo::Palette& palette, ByteSource& source,
                         const WriteProgress& progress = {},
                         std::int64_t chunkBytes = kStreamChunkBytes);

}  // namespace rastel::core
