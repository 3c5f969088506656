// The BMP writer: the streamed file must be byte for byte the file of the decoded record,
// whatever the chunk size, and a failing sink or source must be reported with its reason,
// never hidden; the streamed PNG likewise the record's PNG.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "Check.h"
#include "DecoderInput.h"
#include "image/BmpFile.h"
#include "image/PictureFile.h"
#include "image/PngFile.h"

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

}  // namespace

void CheckBmpWriter(Input input) {
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
    Expect(DecodePixels(image, data, l.offset) == DecodeStatus::Ok, "a small picture refused");
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
