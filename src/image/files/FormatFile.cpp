#include "image/files/FormatFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "image/pixels/FormatDisplay.h"
#include "image/pixels/FormatKernels.h"
#include "image/pixels/FormatWindowDecoder.h"

namespace rastel::core {

namespace {

// The file's bytes a band of rows may span, the bytes a stride skips included: a source that
// reads them into a buffer keeps it this small.
constexpr std::int64_t kBandSpan = std::int64_t{16} << 20;

std::uint32_t ColourAt(const std::uint8_t* decoded, std::int64_t i) {
    std::uint32_t v = 0;
    std::memcpy(&v, decoded + 4 * i, 4);
    return v;
}

std::uint16_t ValueAt(const std::uint8_t* decoded, std::int64_t i) {
    std::uint16_t v = 0;
    std::memcpy(&v, decoded + 2 * i, 2);
    return v;
}

// How a format whose channels are whole bytes goes into a file's pixels: outBytes a pixel,
// byte c the pixel's byte from[c].
struct BytePick {
    int outBytes;
    std::array<std::int8_t, 4> from;
};

// The file's pixels in the order given, red 0, green 1, blue 2, alpha 3: picked from the file's
// bytes where its format allows, else nothing.
std::optional<BytePick> PickFor(const PixelFormat& format, std::array<int, 4> order, int outBytes) {
    const auto channels = formatKernels::ChannelBytes(format);
    if (!channels) {
        return std::nullopt;
    }
    BytePick pick{outBytes, {}};
    for (int c = 0; c < outBytes; ++c) {
        pick.from[static_cast<std::size_t>(c)] = (*channels)[static_cast<std::size_t>(order[c])];
    }
    return pick;
}

enum class Picked { kDone, kDecode, kUnreadable };

// Rows decoded a band at a time, a band's decoded pixels within a chunk; a row wider than a
// chunk is decoded in pieces, one row to a band. A format whose channels are whole bytes skips
// the decode where a band's bytes all lie inside the file: they are picked straight from it.
class Bands {
  public:
    Bands(const FormatLayout& layout, ByteSource& source, std::int64_t chunkBytes,
          std::optional<BytePick> pick)
        : mLayout(layout),
          mSource(source),
          mDecoder(layout, source),
          mUnit(DecodedBytes(*layout.format)),
          mPick(pick) {
        const std::int64_t width = layout.width;
        mPiece = std::clamp<std::int64_t>(chunkBytes / mUnit, 1, width);
        const std::int64_t fit =
            std::min(chunkBytes / (width * mUnit), 1 + kBandSpan / layout.rowBytes());
        mRows = mPiece < width ? 1 : std::clamp<std::int64_t>(fit, 1, layout.height);
        mDecoded.resize(static_cast<std::size_t>(mRows * mPiece * mUnit));
    }

    std::int64_t rows() const { return mRows; }
    // Pixels decoded at once in a row: the width, unless rows go in pieces.
    std::int64_t piece() const { return mPiece; }

    // Decodes rows [y0, y1), at most rows() of them, and hands each row's pieces in turn to
    // put(y, x, decoded, count). False when the source failed or put did.
    template <class Put>
    bool Decode(std::int64_t y0, std::int64_t y1, const Put& put) {
        const std::int64_t width = mLayout.width;
        for (std::int64_t x = 0; x < width; x += mPiece) {
            const std::int64_t n = std::min(mPiece, width - x);
            if (!mDecoder.Decode(y0, y1, x, n, mDecoded.data(), n * mUnit)) {
                return false;
            }
            for (std::int64_t y = y0; y < y1; ++y) {
                if (!put(y, x, mDecoded.data() + (y - y0) * n * mUnit, n)) {
                    return false;
                }
            }
        }
        return true;
    }

    // Whole rows [y0, y1), at most rows() of them, picked into out, row y at
    // out + (y - y0) * step; or kDecode when they cannot be.
    Picked Pick(std::int64_t y0, std::int64_t y1, std::uint8_t* out, std::ptrdiff_t step) {
        const FormatLayout& l = mLayout;
        const std::int64_t first = l.byteOf(y0, 0);
        // byteOf holds at the 64-bit limit: compared before a pixel's bytes are added to it.
        const std::int64_t last = l.byteOf(y1 - 1, l.width - 1);
        if (!mPick || mPiece < l.width || first < 0 || last > mSource.size() - l.format->bytes) {
            return Picked::kDecode;
        }
        const std::int64_t end = last + l.format->bytes;
        const bool read = mSource.Lend(
            first, static_cast<std::size_t>(end - first), mBuffer, [&](ByteSpan bytes) {
                for (std::int64_t y = y0; y < y1; ++y) {
                    formatKernels::PickBytes(bytes.data() + (l.byteOf(y, 0) - first),
                                             l.format->bytes, mPick->from, mPick->outBytes, l.width,
                                             out + (y - y0) * step);
                }
            });
        return read ? Picked::kDone : Picked::kUnreadable;
    }

    // Gray16Range of rows [y0, y1); a row in pieces is decoded, so that only a piece of it is
    // read at once. Nothing when the source failed.
    std::optional<Range16> Range(std::int64_t y0, std::int64_t y1) {
        if (mPiece == mLayout.width) {
            return mDecoder.Range(y0, y1);
        }
        Range16 range;
        const bool read =
            Decode(y0, y1, [&](std::int64_t, std::int64_t, const std::uint8_t* px, std::int64_t n) {
                for (std::int64_t i = 0; i < n; ++i) {
                    range.Add(ValueAt(px, i));
                }
                return true;
            });
        return read ? std::optional(range) : std::nullopt;
    }

  private:
    const FormatLayout mLayout;
    ByteSource& mSource;
    FormatWindowDecoder mDecoder;
    std::int64_t mUnit;
    std::optional<BytePick> mPick;
    std::int64_t mPiece = 1;
    std::int64_t mRows = 1;
    std::vector<std::uint8_t> mDecoded;
    std::vector<std::uint8_t> mBuffer;
};

// The smallest and largest gray16 value of the picture, reporting each band as half a row
// each; nothing when the source failed or the progress cancelled (the source then says ok).
std::optional<Range16> MeasureGrey(Bands& bands, std::int64_t height,
                                   const WriteProgress& progress) {
    Range16 range;
    for (std::int64_t y0 = 0; y0 < height; y0 += bands.rows()) {
        const std::int64_t y1 = std::min(height, y0 + bands.rows());
        const std::optional<Range16> band = bands.Range(y0, y1);
        if (!band || (progress && !progress(y1, height))) {
            return std::nullopt;
        }
        range.Add(*band);
    }
    return range;
}

// Decoded pixels as a BMP row holds them: blue, green, red (and alpha at 32 bits); or grey
// levels of gray16's values. A loop per kind, each tight.
void ToBmp(int bits, const std::uint8_t* decoded, std::int64_t n, const GreyScale* grey,
           std::uint8_t* out) {
    switch (bits) {
        case 8:
            for (std::int64_t i = 0; i < n; ++i) {
                out[i] = (*grey)(ValueAt(decoded, i));
            }
            break;
        case 24:  // the colours' bytes as this little-endian machine holds them: B, G, R, A
            formatKernels::PickBytes(decoded, 4, {0, 1, 2, 3}, 3, n, out);
            break;
        default:
            for (std::int64_t i = 0; i < n; ++i, out += 4) {
                const std::uint32_t v = ColourAt(decoded, i);
                out[0] = static_cast<std::uint8_t>(v);
                out[1] = static_cast<std::uint8_t>(v >> 8);
                out[2] = static_cast<std::uint8_t>(v >> 16);
                out[3] = static_cast<std::uint8_t>(v >> 24);
            }
    }
}

// Decoded pixels as a PNG row holds them: red, green, blue (and alpha); or 16-bit values, the
// high byte first, values of fewer bits (valueBits) widened to 16.
void ToPng(PngPixels pixels, int valueBits, const std::uint8_t* decoded, std::int64_t n,
           std::uint8_t* out) {
    switch (pixels) {
        case PngPixels::kGrey16:
            for (std::int64_t i = 0; i < n; ++i, out += 2) {
                const std::uint16_t v = WidenTo16(ValueAt(decoded, i), valueBits);
                out[0] = static_cast<std::uint8_t>(v >> 8);
                out[1] = static_cast<std::uint8_t>(v);
            }
            break;
        case PngPixels::kRgb:  // from B, G, R, A in memory, as for the BMP
            formatKernels::PickBytes(decoded, 4, {2, 1, 0, 3}, 3, n, out);
            break;
        default:
            for (std::int64_t i = 0; i < n; ++i, out += 4) {
                const std::uint32_t v = ColourAt(decoded, i);
                out[0] = static_cast<std::uint8_t>(v >> 16);
                out[1] = static_cast<std::uint8_t>(v >> 8);
                out[2] = static_cast<std::uint8_t>(v);
                out[3] = static_cast<std::uint8_t>(v >> 24);
            }
    }
}

}  // namespace

int FormatBmpBits(const PixelFormat& format) {
    switch (format.family) {
        case FormatFamily::Alpha:
            return 32;
        case FormatFamily::Gray16:
            return 8;
        default:
            return 24;
    }
}

PngPixels FormatPngPixels(const PixelFormat& format) {
    // Channels of 16 bits are written whole; YUV and mosaics as the colours they show.
    const bool deep = format.fields[0].bits == 16;
    switch (format.family) {
        case FormatFamily::Alpha:
            return deep ? PngPixels::kRgba16 : PngPixels::kRgba;
        case FormatFamily::Gray16:
            return PngPixels::kGrey16;
        case FormatFamily::Opaque:
            return deep ? PngPixels::kRgb16 : PngPixels::kRgb;
        default:
            return PngPixels::kRgb;
    }
}

std::optional<Range16> MeasureGrey(const FormatLayout& layout, ByteSource& source,
                                   const WriteProgress& progress, std::int64_t chunkBytes) {
    Bands bands(layout, source, chunkBytes, std::nullopt);
    return MeasureGrey(bands, layout.height, progress);
}

Outcome WriteFormatBmp(ByteSink& sink, const FormatLayout& layout, ByteSource& source,
                       std::optional<Range16> grey, const WriteProgress& progress,
                       std::int64_t chunkBytes) {
    const int bits = FormatBmpBits(*layout.format);
    const std::int64_t width = layout.width, height = layout.height;
    Bands bands(layout, source, chunkBytes, PickFor(*layout.format, {2, 1, 0, 3}, bits / 8));
    const bool measure = bits == 8 && !grey;
    if (measure) {
        // The first half of the progress.
        grey = MeasureGrey(bands, height, [&progress](std::int64_t done, std::int64_t rows) {
            return !progress || progress(done / 2, rows);
        });
        if (!grey) {
            return StoppedOrUnreadable(source);
        }
    }
    const std::unique_ptr<GreyScale> scale =
        bits == 8 ? std::make_unique<GreyScale>(*grey) : nullptr;
    const std::vector<std::uint8_t> head = MakeBmpHead(bits, width, height);
    sink.Expect(head.size() + static_cast<std::uint64_t>(BmpRowBytes(bits, width) * height));
    if (!sink.Write(head.data(), head.size())) {
        return sink.result();
    }
    // Rows [y, height) are out: the file holds the bottom row first.
    const auto wrote = [&](std::int64_t y) {
        const std::int64_t done = height - y;
        return !progress || progress(measure ? (height + done) / 2 : done, height);
    };
    const std::int64_t pixelBytes = bits / 8;
    const std::int64_t stride = BmpRowBytes(bits, width);
    const std::uint8_t padding[4] = {};
    // Whole rows gather a band bottom-up, their padding zeroed once and never written over;
    // a row in pieces goes out piece by piece.
    const bool whole = bands.piece() == width;
    std::vector<std::uint8_t> out(
        static_cast<std::size_t>(whole ? bands.rows() * stride : bands.piece() * pixelBytes));
    for (std::int64_t top = height; top > 0;) {
        const std::int64_t y0 = std::max<std::int64_t>(0, top - bands.rows());
        const Picked picked = bands.Pick(y0, top, out.data() + (top - 1 - y0) * stride, -stride);
        const bool decoded =
            picked == Picked::kDone ||
            bands.Decode(
                y0, top,
                [&](std::int64_t y, std::int64_t x, const std::uint8_t* px, std::int64_t n) {
                    if (whole) {
                        ToBmp(bits, px, n, scale.get(), out.data() + (top - 1 - y) * stride);
                        return true;
                    }
                    ToBmp(bits, px, n, scale.get(), out.data());
                    return sink.Write(out.data(), static_cast<std::size_t>(n * pixelBytes)) &&
                           (x + n < width || sink.Write(padding, static_cast<std::size_t>(
                                                                     stride - width * pixelBytes)));
                });
        if (!decoded || picked == Picked::kUnreadable) {
            return sink.result().ok() ? Outcome::Unreadable(source.result()) : sink.result();
        }
        if (whole && !sink.Write(out.data(), static_cast<std::size_t>((top - y0) * stride))) {
            return sink.result();
        }
        if (!wrote(y0)) {
            return Outcome::Cancelled();
        }
        top = y0;
    }
    return {};
}

namespace {

// The PNG rows of a format of 16-bit channels: its samples exactly, the high byte first, read
// a piece of a row at a time; bytes outside the file are 0.
RowFill DeepPngRows(const FormatLayout& layout, ByteSource& source, std::int64_t chunkBytes) {
    const PixelFormat& f = *layout.format;
    const int channels = f.family == FormatFamily::Alpha ? 4 : 3;
    // The byte of a pixel each PNG byte comes from: each channel's high byte, then its low.
    std::array<int, 8> from{};
    for (int c = 0; c < channels; ++c) {
        const int low = f.fields[static_cast<std::size_t>(c)].shift / 8;
        const int high = low + 1;
        from[static_cast<std::size_t>(2 * c)] = f.bigEndian ? f.bytes - 1 - high : high;
        from[static_cast<std::size_t>(2 * c + 1)] = f.bigEndian ? f.bytes - 1 - low : low;
    }
    const std::int64_t piece = std::max<std::int64_t>(1, chunkBytes / f.bytes);
    auto buffer = std::make_shared<std::vector<std::uint8_t>>();
    return [layout, from, channels, piece, buffer, &source](std::int64_t y0, std::int64_t y1,
                                                            std::uint8_t* dst) -> Outcome {
        const std::int64_t bytes = layout.format->bytes;
        for (std::int64_t y = y0; y < y1; ++y) {
            for (std::int64_t x = 0; x < layout.width; x += piece) {
                const std::int64_t n = std::min(piece, layout.width - x);
                buffer->resize(static_cast<std::size_t>(n * bytes));
                if (!source.ReadPadded(layout.byteOf(y, x), n * bytes, buffer->data())) {
                    return Outcome::Unreadable(source.result());
                }
                std::uint8_t* out = dst + ((y - y0) * layout.width + x) * 2 * channels;
                for (std::int64_t i = 0; i < n; ++i) {
                    for (int k = 0; k < 2 * channels; ++k) {
                        *out++ = (*buffer)[static_cast<std::size_t>(
                            i * bytes + from[static_cast<std::size_t>(k)])];
                    }
                }
            }
        }
        return {};
    };
}

}  // namespace

RowFill FormatPngRows(const FormatLayout& layout, ByteSource& source, std::int64_t chunkBytes) {
    const PngPixels pixels = FormatPngPixels(*layout.format);
    if (pixels == PngPixels::kRgb16 || pixels == PngPixels::kRgba16) {
        return DeepPngRows(layout, source, chunkBytes);
    }
    auto bands = std::make_shared<Bands>(
        layout, source, chunkBytes,
        PickFor(*layout.format, {0, 1, 2, 3}, static_cast<int>(PngPixelBytes(pixels))));
    return [bands, pixels, &source, width = layout.width,
            valueBits = int{layout.format->fields[0].bits}](std::int64_t y0, std::int64_t y1,
                                                            std::uint8_t* dst) -> Outcome {
        const std::int64_t rowBytes = width * PngPixelBytes(pixels);
        auto put = [&](std::int64_t y, std::int64_t x, const std::uint8_t* px, std::int64_t n) {
            ToPng(pixels, valueBits, px, n, dst + (y - y0) * rowBytes + x * PngPixelBytes(pixels));
            return true;
        };
        for (std::int64_t top = y0; top < y1; top += bands->rows()) {
            const std::int64_t bottom = std::min(y1, top + bands->rows());
            const Picked picked = bands->Pick(top, bottom, dst + (top - y0) * rowBytes, rowBytes);
            if (picked == Picked::kUnreadable ||
                (picked == Picked::kDecode && !bands->Decode(top, bottom, put))) {
                return Outcome::Unreadable(source.result());
            }
        }
        return {};
    };
}

}  // namespace rastel::core
