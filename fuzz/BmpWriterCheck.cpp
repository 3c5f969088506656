// The BMP writer: the streamed file must be byte for byte the file of the decoded record,
// whatever the chunk size, and a failing sink or source must be reported with its reason,
// never hidden; the streamed PNG likewise the record's PNG. An input whose first byte has its
// top bit set writes a picture in a direct format instead: its BMP rows must be the plain
// rule's colours (or grey levels), whatever the chunk size, its PNG the same whatever the chunk.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "Check.h"
#include "DecoderInput.h"
#include "image/files/BmpFile.h"
#include "image/files/FormatFile.h"
#include "image/files/PictureFile.h"
#include "image/files/PngFile.h"
#include "image/pixels/FormatDisplay.h"

namespace rastel::fuzz {

using namespace modBITMAPinfo;
using namespace core;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Collects what is written; fails the write that would pass the failAt-th byte, when asked to.
class MemorySink : public ByteSink {
  public:
    explicit MemorySink(std::uint64_t failAt = UINT64_MAX) : failAt_(failAt) {}
    Bytes bytes;

  private:
    Outcome Put(const void* data, std::size_t n) override {
        if (bytes.size() + n > failAt_) {
            return {ENOSPC, "full"};
        }
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + n);
        return {};
    }
    std::uint64_t failAt_;
};

// Refuses the failAt-th loan of bytes and every one after it.
class FlakySource : public SpanSource {
  public:
    FlakySource(ByteSpan data, int failAt) : SpanSource(data), failAt_(failAt) {}
    bool Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>& buffer,
              const Use& use) override {
        Expect(pos >= 0 && pos + static_cast<std::int64_t>(n) <= size(),
               "a read outside the source");
        return reads++ < failAt_ ? SpanSource::Lend(pos, n, buffer, use) : Failed({EIO, "flaky"});
    }
    int reads = 0;

  private:
    int failAt_;
};

std::uint32_t U32(const Bytes& b, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);  // the file is little-endian, as is this machine
    return v;
}

void FillPalette(Palette& palette, std::uint32_t seed) {
    for (RGBQUAD& e : palette) {
        seed = seed * 1664525u + 1013904223u;
        e = {static_cast<std::uint8_t>(seed >> 8), static_cast<std::uint8_t>(seed >> 16),
             static_cast<std::uint8_t>(seed >> 24), static_cast<std::uint8_t>(seed & 1)};
    }
}

// The BMP of a direct format's picture by the plain rule: each pixel's colour, or its grey
// level in range, at its place in the bottom-up rows.
Bytes PlainFormatBmp(const FormatLayout& l, ByteSpan data, Range16 range) {
    const int bits = FormatBmpBits(*l.format);
    Bytes file = MakeBmpHead(bits, l.width, l.height);
    const std::int64_t stride = BmpRowBytes(bits, l.width);
    for (std::int64_t y = l.height - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(stride));
        for (std::int64_t x = 0; x < l.width; ++x) {
            const std::uint32_t v = FormatPixelAt(l, data, x, y).value;
            if (bits == 8) {
                row[static_cast<std::size_t>(x)] = GreyLevel(static_cast<std::uint16_t>(v), range);
            } else {  // the colour's low bytes, as this little-endian machine has them
                std::memcpy(&row[static_cast<std::size_t>(x * bits / 8)], &v, bits / 8);
            }
        }
        file.insert(file.end(), row.begin(), row.end());
    }
    return file;
}

void CheckFormatWriter(Input input) {
    InputReader in(input);
    const FormatLayout l = ReadFormatInput(in);
    const std::int64_t chunk = in.range(std::max<std::int64_t>(4, l.width / 2), 12 * l.width);
    const std::uint64_t sinkFailAt = in.u32();
    const int sourceFailAt = in.u8() % 4;
    // A range the screen measured, or none: the picture's own then.
    const bool given = in.u8() % 2 != 0;
    const Range16 shown{in.u16(), in.u16()};
    const ByteSpan data = in.rest();
    const Range16 range = given ? shown : Gray16Range(l, data, 0, l.height);
    const std::optional<Range16> grey = given ? std::optional(shown) : std::nullopt;
    const Bytes file = PlainFormatBmp(l, data, range);

    SpanSource source(data);
    MemorySink sink;
    Expect(WriteFormatBmp(sink, l, source, grey, {}, chunk).ok() && sink.bytes == file,
           "a direct format's BMP differs from the plain rule");
    MemorySink whole;
    Expect(WritePicture(whole, FileFormat::kBmp, Picture::Streamed(l, source, grey)).ok() &&
               whole.bytes == file,
           "a direct format's picture written differs from the plain rule");
    MemorySink failing(sinkFailAt % file.size());
    Expect(WriteFormatBmp(failing, l, source, grey, {}, chunk).error == ENOSPC,
           "a failed write of a direct format said otherwise");
    FlakySource flaky(data, sourceFailAt);
    MemorySink partial;
    const Outcome written = WriteFormatBmp(partial, l, flaky, grey, {}, chunk);
    Expect(written.ok() ? partial.bytes == file : written.why == Outcome::Why::kUnreadable,
           "a failed read of a direct format was not reported as one");

    MemorySink png, pngInChunks;
    PngJob job{.width = l.width,
               .height = l.height,
               .pixels = FormatPngPixels(*l.format),
               .rows = FormatPngRows(l, source)};
    Expect(WritePng(png, job).ok(), "a direct format's PNG failed");
    job.rows = FormatPngRows(l, source, chunk);
    job.chunkBytes = chunk;
    Expect(WritePng(pngInChunks, job).ok() && pngInChunks.bytes == png.bytes,
           "a direct format's PNG differs with the chunk size");
}

}  // namespace

void CheckBmpWriter(Input input) {
    if (!input.empty() && input[0] >= 0x80) {
        CheckFormatWriter(input.subspan(1));
        return;
    }
    InputReader in(input);
    const DecoderInput settings = ReadDecoderInput(in);
    const DecodeLayout& l = settings.layout;
    Palette palette;
    FillPalette(palette, in.u32());
    // Smaller than a row now and then, so rows go out in pieces, but never so small that
    // a run is spent on thousands of one-pixel pieces.
    const std::int64_t chunk = in.range(std::max<std::int64_t>(1, l.stride() / 8), 3 * l.stride());
    const std::uint64_t sinkFailAt = in.u32();
    const int sourceFailAt = in.u8() % 4;
    const ByteSpan data = in.rest();
    if (PixelsPerByte(l.depth) == 0) {
        // Only the streamed writer takes an unknown depth: it must not fail on it.
        SpanSource source(data);
        MemorySink sink;
        Expect(WriteBmpStreamed(sink, l, palette, source, {}, chunk).ok(),
               "an unknown depth failed");
        Expect(sink.bytes.size() ==
                   static_cast<std::size_t>(kBmpPixelOffset + l.stride() * l.height + 1),
               "an unknown depth's file size");
        return;
    }

    DibImage image;
    image.settings = settings.view;
    std::memcpy(image.bmiColors, palette, sizeof palette);
    Expect(DecodePixels(image, data, l.offset).ok(), "a small picture refused");
    const Bytes file = BmpFileBytes(image);
    Expect(file.size() == kBmpPixelOffset + image.bits.size(), "file size");
    Expect(U32(file, 2) == file.size(), "bfSize is not the file's size");
    Expect(std::memcmp(file.data() + kBmpPixelOffset, image.bits.data(), image.bits.size()) == 0,
           "pixel bytes");

    for (const std::int64_t chunkBytes : {chunk, kStreamChunkBytes}) {
        SpanSource source(data);
        MemorySink sink;
        Expect(WriteBmpStreamed(sink, l, palette, source, {}, chunkBytes).ok(),
               "a streamed write failed");
        Expect(sink.bytes == file, "the streamed file differs from the record's");
    }
    MemorySink held;
    Expect(WritePicture(held, FileFormat::kBmp, Picture::Held(image)).ok() && held.bytes == file,
           "the record written differs from its file");

    // The PNG of rows decoded on their way is the PNG of the record's rows.
    SpanSource pngSource(data);
    MemorySink png, pngOfRecord;
    PngJob job{.width = l.width,
               .height = l.height,
               .palette = &palette,
               .rows = DecodedRows(l, pngSource),
               .chunkBytes = chunk};
    Expect(WritePng(png, job).ok(), "a streamed PNG failed");
    job.rows = RecordRows(image);
    Expect(WritePng(pngOfRecord, job).ok() && png.bytes == pngOfRecord.bytes,
           "the streamed PNG differs from the record's");
    MemorySink failingPng(sinkFailAt % png.bytes.size());
    Expect(WritePng(failingPng, job).error == ENOSPC, "a failed PNG write said otherwise");

    MemorySink failing(sinkFailAt % file.size());
    SpanSource source(data);
    Expect(WriteBmpStreamed(failing, l, palette, source, {}, chunk).error == ENOSPC,
           "a failed write said otherwise");

    FlakySource flaky(data, sourceFailAt);
    MemorySink sink;
    const Outcome written = WriteBmpStreamed(sink, l, palette, flaky, {}, chunk);
    Expect(written.ok() ? flaky.reads <= sourceFailAt : written.why == Outcome::Why::kUnreadable,
           "a failed read was not reported as one");
    Expect(!written.ok() || sink.bytes == file, "a file written from a flaky source differs");
}

}  // namespace rastel::fuzz
