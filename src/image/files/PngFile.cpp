#include "image/files/PngFile.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/pixels/WindowDecoder.h"

namespace rastel::core {

using namespace modBITMAPinfo;

namespace {

constexpr std::int64_t kMaxSide = 0x7FFFFFFF;
// Speed over size: a picture of a file rarely compresses much, and exports can be gigabytes.
constexpr int kCompressionLevel = 1;
constexpr std::size_t kIdatBytes = std::size_t{1} << 17;

// What libpng's callbacks reach. Plain data only: libpng leaves its calls by longjmp.
struct Output {
    ByteSink* sink;
    char failure[160] = {};
};

void PutBytes(png_structp png, png_bytep data, std::size_t n) {
    // A failed sink stops the caller after this row; libpng itself cannot be told.
    static_cast<Output*>(png_get_io_ptr(png))->sink->Write(data, n);
}

void Flush(png_structp) {}

[[noreturn]] void Fail(png_structp png, png_const_charp message) {
    auto* out = static_cast<Output*>(png_get_error_ptr(png));
    std::snprintf(out->failure, sizeof out->failure, "libpng: %s", message);
    png_longjmp(png, 1);
}

void Warn(png_structp, png_const_charp) {}

// Each libpng call that can fail runs in a frame of its own that holds nothing needing
// destruction, the one place a longjmp may land.
bool WriteHead(png_structp png, png_infop info, std::uint32_t width, std::uint32_t height,
               PngPixels pixels, const png_color* colours) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_user_limits(png, kMaxSide, kMaxSide);  // the default refuses rows over a million
    static constexpr int kColourType[] = {PNG_COLOR_TYPE_PALETTE,   PNG_COLOR_TYPE_RGB,
                                          PNG_COLOR_TYPE_RGB_ALPHA, PNG_COLOR_TYPE_GRAY,
                                          PNG_COLOR_TYPE_RGB,       PNG_COLOR_TYPE_RGB_ALPHA};
    const bool sixteen =
        pixels == PngPixels::kGrey16 || pixels == PngPixels::kRgb16 || pixels == PngPixels::kRgba16;
    png_set_IHDR(png, info, width, height, sixteen ? 16 : 8, kColourType[static_cast<int>(pixels)],
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (pixels == PngPixels::kIndexed) {
        png_set_PLTE(png, info, colours, kPaletteSize);
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, kCompressionLevel);
    png_set_compression_buffer_size(png, kIdatBytes);
    png_write_info(png, info);
    return true;
}

bool WriteRow(png_structp png, const std::uint8_t* row) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_write_row(png, row);
    return true;
}

bool WriteEnd(png_structp png) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_write_end(png, nullptr);
    return true;
}

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

}  // namespace

bool NamesPng(std::string_view name) {
    constexpr std::string_view kPng = ".png";
    return name.size() >= kPng.size() &&
           std::equal(kPng.begin(), kPng.end(), name.end() - kPng.size(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

std::int64_t PngPixelBytes(PngPixels pixels) {
    static constexpr std::int64_t kBytes[] = {1, 3, 4, 2, 6, 8};
    return kBytes[static_cast<int>(pixels)];
}

bool PngCanHold(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide;
}

RowFill RecordRows(const DibImage& image) {
    return [&image](std::int64_t y0, std::int64_t y1, std::uint8_t* dst) -> Outcome {
        const std::int64_t width = image.bmiHeader.biWidth;
        const std::int64_t height = image.bmiHeader.biHeight;
        const std::int64_t stride = RowStride(width);
        if (static_cast<std::int64_t>(image.bits.size()) < stride * height) {
            return Outcome::Unreadable({EINVAL, "the picture's pixels do not fill its rows"});
        }
        for (std::int64_t y = y0; y < y1; ++y, dst += width) {
            std::memcpy(dst, image.bits.data() + (height - 1 - y) * stride,
                        static_cast<std::size_t>(width));
        }
        return {};
    };
}

RowFill DecodedRows(const DecodeLayout& layout, ByteSource& source) {
    auto decoder = std::make_shared<WindowDecoder>(layout, source);
    return [decoder, &source, width = layout.width](std::int64_t y0, std::int64_t y1,
                                                    std::uint8_t* dst) -> Outcome {
        // A row wider than a chunk is decoded in pieces: only a chunk of the file is read at once.
        const std::int64_t piece = std::min(width, kStreamChunkBytes);
        for (std::int64_t x = 0; x < width; x += piece) {
            if (!decoder->Decode(y0, y1, x, std::min(piece, width - x), dst + x,
                                 static_cast<std::ptrdiff_t>(width))) {
                return Outcome::Unreadable(source.result());
            }
        }
        return {};
    };
}

Outcome WritePng(ByteSink& sink, const PngJob& job) {
    if (!PngCanHold(job.width, job.height)) {
        return Outcome::TooLarge("a picture of " + std::to_string(job.width) + " x " +
                                 std::to_string(job.height) +
                                 " pixels is too large for a PNG file");
    }
    Output out{&sink};
    PngWriter w;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, Fail, Warn);
    w.info = w.png != nullptr ? png_create_info_struct(w.png) : nullptr;
    // libpng takes whole rows: a row wider than a chunk is held on its own.
    const std::int64_t rowBytes = job.width * PngPixelBytes(job.pixels);
    const std::int64_t rowsAtOnce =
        std::clamp<std::int64_t>(job.chunkBytes / rowBytes, 1, job.height);
    std::vector<std::uint8_t> rows;
    bool haveMemory = w.info != nullptr && WriteFault("memory") == 0;
    try {
        rows.resize(haveMemory ? static_cast<std::size_t>(rowsAtOnce * rowBytes) : 0);
    } catch (const std::bad_alloc&) {
        haveMemory = false;
    }
    if (!haveMemory) {
        return Outcome::OutOfMemory("not enough memory for the PNG writer");
    }
    png_set_write_fn(w.png, &out, PutBytes, Flush);
    std::array<png_color, kPaletteSize> colours{};
    for (std::size_t i = 0; job.palette != nullptr && i < colours.size(); ++i) {
        const RGBQUAD& e = (*job.palette)[i];
        colours[i] = {e.rgbRed, e.rgbGreen, e.rgbBlue};
    }
    bool ok = WriteHead(w.png, w.info, static_cast<std::uint32_t>(job.width),
                        static_cast<std::uint32_t>(job.height), job.pixels, colours.data());
    for (std::int64_t y0 = 0; ok && sink.result().ok() && y0 < job.height; y0 += rowsAtOnce) {
        const std::int64_t y1 = std::min(job.height, y0 + rowsAtOnce);
        if (Outcome filled = job.rows(y0, y1, rows.data()); !filled.ok()) {
            return filled;
        }
        for (std::int64_t y = y0; ok && sink.result().ok() && y < y1; ++y) {
            ok = WriteRow(w.png, rows.data() + (y - y0) * rowBytes);
        }
        if (ok && sink.result().ok() && job.progress && !job.progress(y1, job.height)) {
            return Outcome::Cancelled();
        }
    }
    ok = ok && sink.result().ok() && WriteEnd(w.png);
    if (!sink.result().ok()) {
        return sink.result();
    }
    return ok ? Outcome{} : Outcome{EIO, out.failure};  // libpng's own failure: it gives no number
}

}  // namespace rastel::core
