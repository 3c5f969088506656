#include "image/files/BmpFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "image/pixels/WindowDecoder.h"

namespace rastel::core {

using namespace modBITMAPinfo;

namespace {

class LittleEndian {
  public:
    explicit LittleEndian(std::uint8_t* out) : mOut(out) {}
    LittleEndian& u16(std::uint32_t v) { return put(v, 2); }
    LittleEndian& u32(std::uint32_t v) { return put(v, 4); }
    LittleEndian& i32(std::int32_t v) { return put(static_cast<std::uint32_t>(v), 4); }
    LittleEndian& u8(std::uint8_t v) { return put(v, 1); }

  private:
    LittleEndian& put(std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            *mOut++ = static_cast<std::uint8_t>(v >> (8 * i));
        }
        return *this;
    }
    std::uint8_t* mOut;
};

// A picture of colours: the info header is the 108-byte version 4 header at 32 bits, for its
// masks; only 8 bits have a palette.
std::uint32_t InfoBytes(int bits) {
    return bits == 32 ? 108 : 40;
}

std::uint32_t PixelOffset(int bits) {
    return 14 + InfoBytes(bits) + (bits == 8 ? 1024 : 0);
}

}  // namespace

std::int64_t BmpRowBytes(int bitsPerPixel, std::int64_t width) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

bool BmpHolds(int bitsPerPixel, std::int64_t width, std::int64_t height) {
    constexpr std::int64_t kMaxSide = std::numeric_limits<std::int32_t>::max();
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        return false;
    }
    // bfSize, the pixel offset plus the rows, must fit its 32 bits.
    constexpr std::int64_t kMaxFile = std::numeric_limits<std::uint32_t>::max();
    return BmpRowBytes(bitsPerPixel, width) <= (kMaxFile - PixelOffset(bitsPerPixel)) / height;
}

std::vector<std::uint8_t> MakeBmpHead(int bitsPerPixel, std::int64_t width, std::int64_t height) {
    constexpr std::uint32_t kBitFields = 3;      // biCompression: the masks say where channels are
    constexpr std::uint32_t kSrgb = 0x73524742;  // the colour space 'sRGB'
    const std::uint32_t offset = PixelOffset(bitsPerPixel);
    const auto image = static_cast<std::uint32_t>(BmpRowBytes(bitsPerPixel, width) * height);
    std::vector<std::uint8_t> head(offset);
    LittleEndian out(head.data());
    out.u8('B').u8('M').u32(offset + image).u16(0).u16(0).u32(offset);
    out.u32(InfoBytes(bitsPerPixel))
        .i32(static_cast<std::int32_t>(width))
        .i32(static_cast<std::int32_t>(height))  // positive: bottom-up rows
        .u16(1)
        .u16(static_cast<std::uint16_t>(bitsPerPixel))
        .u32(bitsPerPixel == 32 ? kBitFields : 0)
        .u32(image)
        .i32(0)
        .i32(0)
        .u32(0)
        .u32(0);
    if (bitsPerPixel == 32) {
        // Red, green, blue and alpha masks, then the colour space; its end points and gammas,
        // unused for sRGB, stay 0.
        out.u32(0x00FF0000).u32(0x0000FF00).u32(0x000000FF).u32(0xFF000000).u32(kSrgb);
    } else if (bitsPerPixel == 8) {
        for (int level = 0; level < kPaletteSize; ++level) {
            const auto v = static_cast<std::uint8_t>(level);
            out.u8(v).u8(v).u8(v).u8(0);
        }
    }
    return head;
}

BmpHead MakeBmpHead(const BITMAPINFOHEADER& h, const Palette& palette, std::uint64_t pixelBytes) {
    BmpHead head{};
    LittleEndian out(head.data());
    out.u8('B')
        .u8('M')                                                        // bfType
        .u32(static_cast<std::uint32_t>(kBmpPixelOffset + pixelBytes))  // bfSize
        .u16(0)                                                         // bfReserved1
        .u16(0)                                                         // bfReserved2
        .u32(kBmpPixelOffset);                                          // bfOffBits
    out.u32(h.biSize)
        .i32(h.biWidth)
        .i32(h.biHeight)  // positive: bottom-up rows
        .u16(h.biPlanes)
        .u16(h.biBitCount)
        .u32(h.biCompression)
        .u32(h.biSizeImage)
        .i32(h.biXPelsPerMeter)
        .i32(h.biYPelsPerMeter)
        .u32(h.biClrUsed)
        .u32(h.biClrImportant);
    for (const RGBQUAD& e : palette) {
        out.u8(e.rgbBlue).u8(e.rgbGreen).u8(e.rgbRed).u8(e.rgbReserved);
    }
    return head;
}

std::vector<std::uint8_t> BmpFileBytes(const DibImage& image) {
    const BmpHead head = MakeBmpHead(image.bmiHeader, image.bmiColors, image.bits.size());
    std::vector<std::uint8_t> file(head.size() + image.bits.size());
    std::memcpy(file.data(), head.data(), head.size());
    if (!image.bits.empty()) {
        std::memcpy(file.data() + head.size(), image.bits.data(), image.bits.size());
    }
    return file;
}

Outcome WriteBmp(ByteSink& sink, const DibImage& image, const WriteProgress& progress) {
    // A record goes out in steps this large, so that a large one shows its progress.
    constexpr std::size_t kStep = std::size_t{16} << 20;
    const BmpHead head = MakeBmpHead(image.bmiHeader, image.bmiColors, image.bits.size());
    sink.Expect(head.size() + image.bits.size());
    if (!sink.Write(head.data(), head.size())) {
        return sink.result();
    }
    const std::int64_t height = image.bmiHeader.biHeight;
    const auto stride =
        static_cast<std::size_t>(std::max<std::int64_t>(1, RowStride(image.bmiHeader.biWidth)));
    for (std::size_t at = 0; at < image.bits.size(); at += kStep) {
        if (!sink.Write(image.bits.data() + at, std::min(kStep, image.bits.size() - at))) {
            return sink.result();
        }
        const auto rows = static_cast<std::int64_t>((at + kStep) / stride);
        if (progress && !progress(std::min(rows, height), height)) {
            return Outcome::Cancelled();
        }
    }
    return {};
}

Outcome WriteBmpStreamed(ByteSink& sink, const DecodeLayout& layout, const Palette& palette,
                         ByteSource& source, const WriteProgress& progress,
                         std::int64_t chunkBytes) {
    BITMAPINFOHEADER header;
    FillHeader(header, layout.width, layout.height);
    const BmpHead head = MakeBmpHead(header, palette, std::uint64_t{header.biSizeImage} + 1);
    sink.Expect(head.size() + std::uint64_t{header.biSizeImage} + 1);
    if (!sink.Write(head.data(), head.size())) {
        return sink.result();
    }
    WindowDecoder decoder(layout, source);
    // Rows [y, height) are out: the file holds the bottom row first.
    const auto wrote = [&](std::int64_t y) {
        return !progress || progress(layout.height - y, layout.height);
    };
    const std::int64_t stride = layout.stride();
    if (stride <= chunkBytes) {
        const std::int64_t rowsPerChunk = chunkBytes / stride;
        // Zeroed once: decoding writes only the width's pixels, so the padding stays 0.
        std::vector<std::uint8_t> chunk(
            static_cast<std::size_t>(std::min(rowsPerChunk, layout.height) * stride));
        for (std::int64_t top = layout.height; top > 0;) {
            const std::int64_t rows = std::min(rowsPerChunk, top);
            const std::int64_t y0 = top - rows;
            if (!decoder.Decode(y0, top, 0, layout.width, chunk.data() + (rows - 1) * stride,
                                -static_cast<std::ptrdiff_t>(stride))) {
                return Outcome::Unreadable(source.result());
            }
            if (!sink.Write(chunk.data(), static_cast<std::size_t>(rows * stride))) {
                return sink.result();
            }
            if (!wrote(y0)) {
                return Outcome::Cancelled();
            }
            top = y0;
        }
    } else {
        // Rows wider than a chunk go out in pieces.
        std::vector<std::uint8_t> piece(static_cast<std::size_t>(chunkBytes));
        const std::uint8_t padding[4] = {};
        for (std::int64_t y = layout.height - 1; y >= 0; --y) {
            for (std::int64_t x = 0; x < layout.width; x += chunkBytes) {
                const std::int64_t n = std::min(chunkBytes, layout.width - x);
                if (!decoder.Decode(y, y + 1, x, n, piece.data(), 0)) {
                    return Outcome::Unreadable(source.result());
                }
                if (!sink.Write(piece.data(), static_cast<std::size_t>(n))) {
                    return sink.result();
                }
            }
            if (!sink.Write(padding, static_cast<std::size_t>(stride - layout.width))) {
                return sink.result();
            }
            if (!wrote(y)) {
                return Outcome::Cancelled();
            }
        }
    }
    const std::uint8_t extra = 0;
    return sink.Write(&extra, 1) ? Outcome{} : sink.result();
}

}  // namespace rastel::core
