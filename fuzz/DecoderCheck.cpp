// The decoder against its plain per-pixel rule, with every setting taken from the input:
// depth and order (unknown ones too), a small picture, and any offset; and the rows of the
// picture decoded on demand against the whole decode. A first byte with its top bit set picks
// a direct format instead: its fast decoders against its plain rule, with the layout taken from
// the input.
#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "Check.h"
#include "DecoderInput.h"
#include "image/pixels/FormatWindowDecoder.h"
#include "image/pixels/FrameDecoder.h"
#include "image/pixels/PictureRows.h"
#include "image/pixels/PixelDecoder.h"
#include "image/rules/FieldRules.h"

namespace rastel::fuzz {

using namespace modBITMAPinfo;
using namespace core;

namespace {

// The plain rule at y * width + x + offset, worked out without overflow: a position beyond
// the 64-bit range lies beyond any data, so its pixel is 0.
std::uint8_t Reference(const DecodeLayout& l, ByteSpan data, std::int64_t y, std::int64_t x) {
    const Int128 p = static_cast<Int128>(y) * l.width + x + l.offset;
    if (p < 0 || p > std::numeric_limits<std::int64_t>::max()) {
        return 0;
    }
    return PixelAt(l.depth, l.order, data, static_cast<std::int64_t>(p));
}

int MaxValue(std::int32_t depth) {
    return depth == kDepth256 ? 255 : depth == kDepth16 ? 15 : 1;
}

void CheckGeometry(std::int64_t width, std::int64_t height) {
    if (!CheckBmpGeometry(width, height).ok()) {
        return;
    }
    Expect(width >= 1 && height >= 1, "a picture without pixels passed the geometry check");
    Expect(width <= std::numeric_limits<std::int32_t>::max() &&
               height <= std::numeric_limits<std::int32_t>::max(),
           "a side beyond 32 bits passed the geometry check");
    Expect(static_cast<Int128>(RowStride(width)) * height + 1079 <=
               std::numeric_limits<std::uint32_t>::max(),
           "a file size beyond 32 bits passed the geometry check");
}

// The inverse names the bits each pixel is made of: changing them changes the pixel by as
// much, changing the rest of the byte leaves it be. A byte's first pixel is its own, none
// before it is, and its cell in the picture shows it.
void CheckInverse(const DecodeLayout& l, ByteSpan data, const DibImage& image, std::int64_t b) {
    std::vector<std::uint8_t> bytes(data.begin(), data.end());
    for (std::int64_t y = 0; y < l.height; ++y) {
        for (std::int64_t x = 0; x < l.width; ++x) {
            const std::uint8_t pixel = image.bits[(l.height - 1 - y) * l.stride() + x];
            const std::optional<PixelSource> s = SourceAt(l, x, y);
            if (!s || s->byte >= static_cast<std::int64_t>(bytes.size())) {
                Expect(pixel == 0, "a pixel without a source in the data is not 0");
                continue;
            }
            Expect(s->byte >= 0 && s->bits * PixelsPerByte(l.depth) == 8 && s->shift < 8,
                   "a source that is not one pixel's bits");
            const int mask = ((1 << s->bits) - 1) << s->shift;
            std::uint8_t& source = bytes[static_cast<std::size_t>(s->byte)];
            Expect(pixel == (source & mask) >> s->shift, "a pixel is not its source's bits");
            for (const int flip : {mask, 0xFF & ~mask}) {
                source ^= static_cast<std::uint8_t>(flip);
                Expect(PixelAt(l.depth, l.order, bytes, l.position(y, x)) ==
                           (pixel ^ ((flip & mask) >> s->shift)),
                       "a pixel does not follow its source's bits alone");
                source ^= static_cast<std::uint8_t>(flip);
            }
        }
    }
    // The bytes rows show: from the least of their pixels' sources to one past the greatest.
    const auto size = static_cast<std::int64_t>(data.size());
    for (const std::int64_t y0 : {std::int64_t{0}, l.height / 2}) {
        std::int64_t least = std::numeric_limits<std::int64_t>::max();
        std::int64_t most = -1;
        for (std::int64_t y = y0; y < l.height; ++y) {
            for (std::int64_t x = 0; x < l.width; ++x) {
                if (const std::optional<PixelSource> s = SourceAt(l, x, y)) {
                    least = std::min(least, s->byte);
                    most = std::max(most, s->byte);
                }
            }
        }
        Expect(most < 0 || BytesOfRows(l, y0, l.height, size) ==
                               std::pair(std::clamp<std::int64_t>(least, 0, size),
                                         std::clamp<std::int64_t>(most, -1, size - 1) + 1),
               "the bytes of rows are not those their pixels show");
    }
    const std::optional<std::int64_t> first = FirstPositionOf(l.depth, l.order, b);
    Expect(first.has_value() == SourceOf(l.depth, l.order, 0).has_value(), "no first pixel");
    for (std::int64_t q = first ? std::max<std::int64_t>(0, *first - 32) : 0; first && q <= *first;
         ++q) {
        Expect((SourceOf(l.depth, l.order, q)->byte == b) == (q == *first),
               "a byte's first pixel is not its own, or an earlier one is");
    }
    const std::optional<Cell> cell = CellOf(l, b);
    const Int128 from = first ? static_cast<Int128>(*first) - l.offset : -1;
    Expect(cell.has_value() == (from >= 0 && from < static_cast<Int128>(l.width) * l.height) &&
               (!cell || (cell->x < l.width && l.position(cell->y, cell->x) == *first)),
           "a byte's cell does not show its first pixel");
}

// The first bytes of the samples a pixel with bytes beyond its own reads: its Y, U and V, or
// the mosaic's sites around it.
std::vector<Int128> SamplesOf(const FormatLayout& l, const FormatPixel& p, std::int64_t x,
                              std::int64_t y) {
    if (l.format->family == FormatFamily::Planar) {
        const ChromaSite c = ChromaOf(l, x, y);
        Expect(c.u == p.pair, "a pixel's U is not where its readout says");
        return {p.byte, c.u, c.v};
    }
    std::vector<Int128> sites;
    auto mirrored = [](std::int64_t i, std::int64_t n) {
        return std::clamp<std::int64_t>(i < 0 ? -i : i >= n ? 2 * (n - 1) - i : i, 0, n - 1);
    };
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            sites.push_back(static_cast<Int128>(mirrored(y + dy, l.height)) * l.rowBytes() +
                            static_cast<Int128>(mirrored(x + dx, l.width)) * l.format->bytes +
                            l.offset);
        }
    }
    return sites;
}

// What the readout says of a pixel: its first byte, and its pair's, the only bytes it reads.
void CheckOwnBytes(const FormatLayout& l, ByteSpan data, std::int64_t x, std::int64_t y) {
    const FormatPixel p = FormatPixelAt(l, data, x, y);
    Expect(p.byte == l.byteOf(y, x), "a pixel's first byte is not where the layout puts it");
    const bool yuv = l.format->family == FormatFamily::Yuv422;
    const bool sampled =
        l.format->family == FormatFamily::Planar || l.format->family == FormatFamily::Bayer;
    const std::vector<Int128> samples = sampled ? SamplesOf(l, p, x, y) : std::vector<Int128>{};
    const Int128 run = static_cast<Int128>(p.pair) - l.offset;
    Expect(!yuv || p.byte == std::numeric_limits<std::int64_t>::min() ||
               p.byte == std::numeric_limits<std::int64_t>::max() ||
               (p.pair <= p.byte && p.byte - p.pair < 4 && run % 4 == 0),
           "a YUV pixel's pair does not hold it, or starts off the picture's pairs");
    std::vector<std::uint8_t> others(data.begin(), data.end());
    for (std::int64_t i = 0; i < static_cast<std::int64_t>(others.size()); ++i) {
        const Int128 fromByte = static_cast<Int128>(i) - p.byte;
        const Int128 fromPair = static_cast<Int128>(i) - p.pair;
        const bool own = fromByte >= 0 && fromByte < l.format->bytes;
        const bool pair = yuv && fromPair >= 0 && fromPair < 4;
        const bool sample = std::any_of(samples.begin(), samples.end(), [&](Int128 at) {
            return i - at >= 0 && i - at < l.format->bytes;
        });
        others[static_cast<std::size_t>(i)] ^= own || pair || sample ? 0 : 0xFF;
    }
    Expect(FormatPixelAt(l, others, x, y).value == p.value, "a pixel reads bytes it does not name");
    Expect(l.format->family != FormatFamily::Opaque || p.value >> 24 == 0xFF,
           "an opaque format gave a colour that is not");
}

// A layout the rules accept shows the whole file and nothing past a row more.
void CheckLayoutRules(const FormatLayout& l, std::int64_t size) {
    const PixelFormat& f = *l.format;
    if (!CheckFormatLayout(f, size, l.width, l.offset, l.stride, l.frameHeight).ok()) {
        return;
    }
    const std::int64_t rowBytes = l.stride != 0 ? l.stride : l.width * f.bytes;
    Expect(size >= f.bytes && l.width * f.bytes <= rowBytes && rowBytes <= kMaxStride &&
               l.width <= FormatPixelCount(f, size) && l.offset < fieldRules::kOffsetLimit &&
               l.offset > -fieldRules::kOffsetLimit,
           "the layout rules accepted a layout beyond their limits");
    const std::int64_t height = FormatHeight(f, size, l.width, l.stride, l.frameHeight);
    if (l.planar()) {
        // Every frame whose luma the file holds, and no other; or one frame, the most rows
        // the file holds, a row at least.
        FormatLayout all = l;
        all.height = height;
        const FrameShape frame = all.frame();
        const Int128 frames = height / all.frameRows();
        const bool one = all.frameRows() == 1 || frame.frameBytes <= size;
        Expect(height % all.frameRows() == 0 && frames >= 1 &&
                   (l.frameHeight > 0 ? (frames - 1) * frame.frameBytes + frame.lumaBytes <= size &&
                                            frames * frame.frameBytes + frame.lumaBytes > size
                                      : frames == 1 && one),
               "the frames do not cover the file exactly");
        return;
    }
    Expect(height >= 1 && (height - 1) * rowBytes < size && height * rowBytes >= size,
           "the rows do not cover the file exactly");
}

void CheckFormatDecoder(Input input) {
    InputReader in(input);
    const FormatLayout l = ReadFormatInput(in);
    const std::int64_t x0 = in.range(0, l.width - 1);
    const std::int64_t y0 = in.range(0, l.height - 1);
    const std::int64_t y1 = in.range(y0 + 1, l.height);
    const std::int64_t probe = in.u32() % (l.width * l.height);
    const ByteSpan data = in.rest();
    const std::int64_t unit = DecodedBytes(*l.format);
    const std::int64_t count = l.width - x0;
    const std::int64_t rowStep = count * unit;

    std::vector<std::uint8_t> rows(static_cast<std::size_t>(l.height * rowStep + 1), 0xA5);
    DecodeFormatRows(l, data, 0, l.height, x0, count, rows.data(), rowStep);
    Range16 range;
    for (std::int64_t y = 0; y < l.height; ++y) {
        for (std::int64_t x = 0; x < l.width; ++x) {
            const std::uint32_t want = FormatPixelAt(l, data, x, y).value;
            range.Add(static_cast<std::uint16_t>(want));
            // The decoded unit is the value's low bytes, as this little-endian machine has them.
            Expect(x < x0 || std::memcmp(rows.data() + y * rowStep + (x - x0) * unit, &want,
                                         static_cast<std::size_t>(unit)) == 0,
                   "a pixel in a direct format differs from the plain rule");
        }
    }
    Expect(rows.back() == 0xA5, "the rows wrote past their end");
    const bool gray = l.format->family == FormatFamily::Gray16;
    Expect(!gray || Gray16Range(l, data, 0, l.height) == range, "the gray16 range differs");

    // A band read through a window of the file, as the streamed writers read it.
    SpanSource source(data);
    FormatWindowDecoder window(l, source);
    std::vector<std::uint8_t> band(static_cast<std::size_t>((y1 - y0) * rowStep));
    Expect(window.Decode(y0, y1, x0, count, band.data(), rowStep) &&
               std::equal(band.begin(), band.end(), rows.begin() + y0 * rowStep),
           "rows decoded through a window differ");
    Expect(!gray || window.Range(0, l.height) == range, "the gray16 range of a window differs");

    CheckOwnBytes(l, data, probe % l.width, probe / l.width);
    CheckLayoutRules(l, static_cast<std::int64_t>(data.size()));
}

}  // namespace

void CheckDecoder(Input input) {
    if (!input.empty() && input[0] >= 0x80) {
        CheckFormatDecoder(input.subspan(1));
        return;
    }
    InputReader in(input);
    const DecoderInput settings = ReadDecoderInput(in);
    const std::int64_t runStart = in.i64();
    const std::int64_t runCount = in.range(0, 64);
    const std::int64_t bandStart = in.u16();
    const std::int64_t bandRows = in.u16();
    CheckGeometry(in.i64(), in.i64());
    const ByteSpan data = in.rest();
    const DecodeLayout& l = settings.layout;

    DibImage image;
    image.settings = settings.view;
    image.bmiHeader.biXPelsPerMeter = 7;  // not the decoder's: must survive it
    Expect(DecodePixels(image, data, l.offset).ok(), "a small picture refused");
    if (PixelsPerByte(l.depth) == 0) {
        Expect(image.bits.empty() && image.bmiHeader.biSize == 0,
               "an unknown depth changed the image");
        return;
    }
    const std::int64_t stride = l.stride();
    const BITMAPINFOHEADER& h = image.bmiHeader;
    Expect(h.biSize == 40 && h.biWidth == l.width && h.biHeight == l.height && h.biPlanes == 1 &&
               h.biBitCount == 8 && h.biCompression == 0 && h.biSizeImage == stride * l.height &&
               h.biClrUsed == 0 && h.biXPelsPerMeter == 7,
           "header fields");
    Expect(image.bits.size() == static_cast<std::size_t>(stride * l.height + 1),
           "pixel array size");
    Expect(image.bits.back() == 0, "the extra byte is not 0");
    const bool knownOrder = l.order >= 0 && l.order < OrderCount(l.depth);
    for (std::int64_t y = 0; y < l.height; ++y) {
        const std::uint8_t* row = image.bits.data() + (l.height - 1 - y) * stride;
        for (std::int64_t x = 0; x < l.width; ++x) {
            Expect(row[x] == Reference(l, data, y, x), "a pixel differs from the plain rule");
            Expect(row[x] <= MaxValue(l.depth), "a pixel beyond the depth's palette");
            Expect(knownOrder || row[x] == 0, "an unknown order wrote a pixel");
        }
        for (std::int64_t x = l.width; x < stride; ++x) {
            Expect(row[x] == 0, "row padding is not 0");
        }
    }

    // Any byte of the data or a little past it, without reading more of the input.
    const auto reach = static_cast<std::int64_t>(data.size()) + 8;
    CheckInverse(l, data, image, (runStart % reach + reach) % reach);

    // A band of rows, top-down into a buffer of its own, as a view paints what it shows.
    const std::int64_t y0 = bandStart % l.height;
    const std::int64_t y1 = y0 + bandRows % (l.height - y0 + 1);
    std::vector<std::uint8_t> band(static_cast<std::size_t>((y1 - y0) * l.width + 1), 0xA5);
    DecodeRows(l, data, y0, y1, band.data(), static_cast<std::ptrdiff_t>(l.width));
    for (std::int64_t y = y0; y < y1; ++y) {
        Expect(std::equal(band.begin() + (y - y0) * l.width, band.begin() + (y - y0 + 1) * l.width,
                          image.bits.begin() + (l.height - 1 - y) * stride),
               "a band of rows differs from the picture");
    }
    Expect(band.back() == 0xA5, "a band wrote past its rows");

    // Two views of the same rows decoded on demand, as a picture too large to hold is shown,
    // through a cache too small for some of their margins; an order outside the lists has no
    // layout to show it by.
    const PixelFormat* entry = IndexFormat(l.depth, l.order);
    PictureRows record, onDemand;
    record.ShowRecord(image);
    onDemand.ShowBytes({entry ? entry : &kFormats[0], l.width, l.height, l.offset}, data, {},
                       1 + runCount * 64);
    const std::int64_t x0 = static_cast<std::int64_t>(static_cast<std::uint64_t>(runStart) %
                                                      static_cast<std::uint64_t>(l.width));
    for (const std::int64_t top : {y0, (y0 + l.height / 2) % l.height}) {
        if (entry == nullptr) {
            break;
        }
        const std::int64_t bottom = std::min(l.height, top + 1 + bandRows % 8);
        Expect(
            onDemand.Prepare(x0, top, l.width, bottom) && record.Prepare(x0, top, l.width, bottom),
            "rows in view could not be had");
        for (std::int64_t y = top; y < bottom; ++y) {
            Expect(std::equal(onDemand.Row(y, x0), onDemand.Row(y, x0) + l.width - x0,
                              record.Row(y, x0)),
                   "rows decoded on demand differ from the picture");
        }
    }

    DibImage again = image;
    Expect(DecodePixels(again, data, l.offset).ok() && again.bits == image.bits,
           "a second decode differs");

    std::vector<std::uint8_t> run(static_cast<std::size_t>(runCount) + 1, 0xA5);
    DecodeRun(l.depth, l.order, data, runStart, runCount, run.data());
    for (std::int64_t i = 0; i < runCount; ++i) {
        const Int128 p = static_cast<Int128>(runStart) + i;
        const std::uint8_t want = p > std::numeric_limits<std::int64_t>::max()
                                      ? 0
                                      : PixelAt(l.depth, l.order, data, runStart + i);
        Expect(run[static_cast<std::size_t>(i)] == want, "a run differs from the plain rule");
    }
    Expect(run.back() == 0xA5, "a run wrote past its count");
}

}  // namespace rastel::fuzz
