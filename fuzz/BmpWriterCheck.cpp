// The BMP writer: the streamed file must be byte for byte the file of the decoded record,
// whatever the chunk size, and a failing sink or source must be reported, never hidden; the
// streamed PNG likewise the record's PNG.
#include <algorithm>
#include <cstring>
#include <vector>

#include "Check.h"
#include "DecoderInput.h"
#include "image/BmpFile.h"
#include "image/PngFile.h"

namespace rastel::fuzz {

using namespace modBITMAPinfo;
using namespace core;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Collects what is written; fails every write from the failAt-th byte on when asked to.
class MemorySink : public ByteSink {
  public:
    explicit MemorySink(std::uint64_t failAt = UINT64_MAX) : failAt_(failAt) {}
    bool Write(const void* data, std::size_t n) override {
        writesAfterFailure_ += failed_;
        if (failed_ || bytes.size() + n > failAt_) {
            failed_ = true;
            return false;
        }
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + n);
        return true;
    }
    Bytes bytes;
    int writesAfterFailure_ = 0;

  private:
    std::uint64_t failAt_;
    bool failed_ = false;
};

// Refuses the failAt-th loan of bytes and every one after it.
class FlakySource : public SpanSource {
  public:
    FlakySource(ByteSpan data, int failAt) : SpanSource(data), failAt_(failAt) {}
    bool Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>& buffer,
              const Use& use) override {
        Expect(pos >= 0 && pos + static_cast<std::int64_t>(n) <= size(),
               "a read outside the source");
        return reads++ < failAt_ && SpanSource::Lend(pos, n, buffer, use);
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
        Expect(WriteBmpStreamed(sink, l, palette, source, chunk), "an unknown depth failed");
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
        Expect(WriteBmpStreamed(sink, l, palette, source, chunkBytes), "a streamed write failed");
        Expect(sink.bytes == file, "the streamed file differs from the record's");
    }

    // The PNG of rows decoded on their way is the PNG of the record's rows.
    SpanSource pngSource(data);
    MemorySink png, pngOfRecord;
    PngJob job{.width = l.width,
               .height = l.height,
               .palette = &palette,
               .rows = DecodedRows(l, pngSource),
               .chunkBytes = chunk};
    Expect(WritePng(png, job), "a streamed PNG failed");
    job.rows = RecordRows(image);
    Expect(WritePng(pngOfRecord, job) && png.bytes == pngOfRecord.bytes,
           "the streamed PNG differs from the record's");
    MemorySink failingPng(sinkFailAt % png.bytes.size());
    Expect(!WritePng(failingPng, job) && failingPng.writesAfterFailure_ == 0,
           "a failed PNG write reported ok, or went on writing");

    MemorySink failing(sinkFailAt % file.size());
    SpanSource source(data);
    Expect(!WriteBmpStreamed(failing, l, palette, source, chunk), "a failed write reported ok");
    Expect(failing.writesAfterFailure_ == 0, "kept writing after the sink failed");

    FlakySource flaky(data, sourceFailAt);
    MemorySink sink;
    const bool written = WriteBmpStreamed(sink, l, palette, flaky, chunk);
    Expect(written == (flaky.reads <= sourceFailAt), "a failed read was not reported");
    Expect(!written || sink.bytes == file, "a file written from a flaky source differs");
}

}  // namespace rastel::fuzz
