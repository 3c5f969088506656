#include "image/BmpFile.h"

#include <algorithm>
#include <cstring>

namespace rastel::modBITMAPinfo {

namespace {

class LittleEndian {
  public:
    explicit LittleEndian(std::uint8_t* out) : out_(out) {}
    LittleEndian& u16(std::uint32_t v) { return put(v, 2); }
    LittleEndian& u32(std::uint32_t v) { return put(v, 4); }
    LittleEndian& i32(std::int32_t v) { return put(static_cast<std::uint32_t>(v), 4); }
    LittleEndian& u8(std::uint8_t v) { return put(v, 1); }

  private:
    LittleEndian& put(std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            *out_++ = static_cast<std::uint8_t>(v >> (8 * i));
        }
        return *this;
    }
    std::uint8_t* out_;
};

}  // namespace

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

WriteResult SaveBmp(const std::string& path, const DibImage& image) {
    AtomicFile file(path);
    const BmpHead head = MakeBmpHead(image.bmiHeader, image.bmiColors, image.bits.size());
    if (file.Write(head.data(), head.size())) {
        file.Write(image.bits.data(), image.bits.size());
    }
    return file.Commit();
}

namespace {

// Decodes the pixels at positions [p0, p0 + count) row by row into dst, reading from source
// only the bytes they need. The bytes read start on a multiple of 4, so the pair and group
// alignment of every order is the same as in the whole file.
class WindowDecoder {
  public:
    WindowDecoder(const DecodeLayout& layout, ByteSource& source)
        : layout_(layout), source_(source), perByte_(PixelsPerByte(layout.depth)) {}

    // Rows [y0, y1) of columns [x0, x0 + count), row y at dst + (y - y0) * rowStep.
    bool Decode(std::int64_t y0, std::int64_t y1, std::int64_t x0, std::int64_t count,
                std::uint8_t* dst, std::ptrdiff_t rowStep) {
        if (perByte_ == 0) {
            // An unknown depth reads nothing and, as an unknown order does, leaves every pixel 0.
            for (std::int64_t y = y0; y < y1; ++y, dst += rowStep) {
                std::fill_n(dst, count, std::uint8_t{0});
            }
            return true;
        }
        const std::int64_t first = layout_.position(y0, x0);
        const std::int64_t lastByte = layout_.position(y1 - 1, x0 + count) / perByte_;
        const std::int64_t base = std::max<std::int64_t>(0, first) / perByte_ / 4 * 4;
        const std::int64_t end = std::min(
            source_.size(), lastByte >= source_.size() ? lastByte : (lastByte + 1 + 3) / 4 * 4);
        const std::int64_t bytes = std::max<std::int64_t>(0, end - base);
        window_.resize(static_cast<std::size_t>(bytes));
        if (bytes > 0 && !source_.Read(base, window_.size(), window_.data())) {
            return false;
        }
        const ByteSpan data(window_);
        const std::int64_t shift = base * perByte_;
        for (std::int64_t y = y0; y < y1; ++y) {
            // No overflow: shift is 0 unless first, and so every p here, is at least shift.
            const std::int64_t p = layout_.position(y, x0) - shift;
            DecodeRun(layout_.depth, layout_.order, data, p, count, dst);
            dst += rowStep;
        }
        return true;
    }

  private:
    const DecodeLayout& layout_;
    ByteSource& source_;
    const std::int64_t perByte_;
    std::vector<std::uint8_t> window_;
};

}  // namespace

bool WriteBmpStreamed(ByteSink& sink, const DecodeLayout& layout, const Palette& palette,
                      ByteSource& source, std::int64_t chunkBytes) {
    BITMAPINFOHEADER header;
    FillHeader(header, layout.width, layout.height);
    const BmpHead head = MakeBmpHead(header, palette, std::uint64_t{header.biSizeImage} + 1);
    if (!sink.Write(head.data(), head.size())) {
        return false;
    }
    WindowDecoder decoder(layout, source);
    const std::int64_t stride = layout.stride();
    if (stride <= chunkBytes) {
        const std::int64_t rowsPerChunk = chunkBytes / stride;
        // Zeroed once: decoding writes only the width's pixels, so the padding stays 0.
        std::vector<std::uint8_t> chunk(
            static_cast<std::size_t>(std::min(rowsPerChunk, layout.height) * stride));
        for (std::int64_t top = layout.height; top > 0;) {  // the file holds the bottom row first
            const std::int64_t rows = std::min(rowsPerChunk, top);
            const std::int64_t y0 = top - rows;
            if (!decoder.Decode(y0, top, 0, layout.width, chunk.data() + (rows - 1) * stride,
                                -static_cast<std::ptrdiff_t>(stride)) ||
                !sink.Write(chunk.data(), static_cast<std::size_t>(rows * stride))) {
                return false;
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
                if (!decoder.Decode(y, y + 1, x, n, piece.data(), 0) ||
                    !sink.Write(piece.data(), static_cast<std::size_t>(n))) {
                    return false;
                }
            }
            if (!sink.Write(padding, static_cast<std::size_t>(stride - layout.width))) {
                return false;
            }
        }
    }
    const std::uint8_t extra = 0;
    return sink.Write(&extra, 1);
}

}  // namespace rastel::modBITMAPinfo
