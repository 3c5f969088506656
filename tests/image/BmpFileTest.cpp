#include "image/BmpFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "image/PaletteBuilder.h"
#include "image/PngFile.h"

namespace rastel::modBITMAPinfo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

DibImage Picture(const Bytes& data, std::int64_t width, std::int64_t height) {
    DibImage image;
    image.settings.gPicWidth = width;
    image.settings.gPicHeight = height;
    EXPECT_EQ(DecodePixels(image, data, 0), DecodeStatus::Ok);
    return image;
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class TempDir {
  public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "rastel-bmp-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(path_), {}));
    }

  private:
    fs::path path_;
};

TEST(BmpFile, LaysOutHeadersPaletteAndBottomUpRows) {
    DibImage image = Picture({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 5, 2);
    image.bmiColors[1] = {10, 20, 30, 0};  // blue, green, red differ so a swap shows
    const Bytes file = BmpFileBytes(image);
    ASSERT_EQ(file.size(), 14u + 40 + 1024 + 17);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32(file, 2), 1095u);   // bfSize
    EXPECT_EQ(U32(file, 6), 0u);      // both reserved words
    EXPECT_EQ(U32(file, 10), 1078u);  // bfOffBits
    EXPECT_EQ(U32(file, 14), 40u);
    EXPECT_EQ(U32(file, 18), 5u);
    EXPECT_EQ(U32(file, 22), 2u);
    EXPECT_EQ(file[26] | file[27] << 8, 1);
    EXPECT_EQ(file[28] | file[29] << 8, 8);
    EXPECT_EQ(U32(file, 34), 16u);  // biSizeImage
    EXPECT_EQ(file[54 + 4], 10);    // entry 1: blue, green, red, reserved
    EXPECT_EQ(file[54 + 5], 20);
    EXPECT_EQ(file[54 + 6], 30);
    EXPECT_EQ(file[54 + 7], 0);
    const Bytes pixels(file.begin() + 1078, file.end());
    EXPECT_EQ(pixels, (Bytes{6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0, 0}));
}

TEST(BmpFile, SmallDepthsStillWriteEightBitsAndAllEntries) {
    DibImage image;
    image.settings.gColBit = kDepth2;
    image.settings.gPicWidth = 8;
    image.settings.gPicHeight = 1;
    BuildPalette(image, kPalGrey, kDepth2, image.bmiColors);
    ASSERT_EQ(DecodePixels(image, Bytes{0xF0}, 0), DecodeStatus::Ok);
    const Bytes file = BmpFileBytes(image);
    EXPECT_EQ(file[28], 8);
    EXPECT_EQ(file[54 + 4 * 55 + 2], 255);  // a question-mark entry is written too
    EXPECT_EQ(Bytes(file.begin() + 1078, file.end()), (Bytes{1, 1, 1, 1, 0, 0, 0, 0, 0}));
}

TEST(SaveBmp, ReplacesALongerFileExactly) {
    TempDir dir;
    const fs::path target = dir.path() / "a.bin.bmp";
    WriteFile(target, Bytes(5000, 0xAB));
    const DibImage image = Picture({1, 2, 3}, 3, 1);
    const WriteResult result = SaveBmp(target.string(), image);
    ASSERT_TRUE(result.ok()) << result.detail;
    EXPECT_EQ(ReadFile(target), BmpFileBytes(image));
    EXPECT_EQ(dir.entries(), 1u);  // no temporary file left behind
}

TEST(SaveBmp, AFailedWriteLeavesTheOldFileAndNoTrace) {
    TempDir dir;
    const DibImage image = Picture({1, 2, 3}, 3, 1);

    const WriteResult missing = SaveBmp((dir.path() / "no" / "x.bmp").string(), image);
    EXPECT_EQ(missing.error, ENOENT);

    fs::create_directory(dir.path() / "folder.bmp");
    const WriteResult folder = SaveBmp((dir.path() / "folder.bmp").string(), image);
    EXPECT_NE(folder.error, 0);
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.bmp"));
    EXPECT_EQ(dir.entries(), 1u);

    // An export abandoned half way (a failed write) never reaches the target.
    const fs::path target = dir.path() / "old.bmp";
    WriteFile(target, Bytes(100, 0x5A));
    {
        AtomicFile file(target.string());
        ASSERT_TRUE(file.Write("BM", 2));
    }
    EXPECT_EQ(ReadFile(target), Bytes(100, 0x5A));
    EXPECT_EQ(dir.entries(), 2u);
}

TEST(SaveBmp, GivesANewFileTheUsualModeAndKeepsAnOldFilesMode) {
    TempDir dir;
    const DibImage image = Picture({1}, 1, 1);
    const fs::path fresh = dir.path() / "new.bmp";
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(SaveBmp(fresh.string(), image).ok());
    struct stat st {};
    ::stat(fresh.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    const fs::path old = dir.path() / "old.bmp";
    WriteFile(old, {1});
    ::chmod(old.c_str(), 0600);
    ASSERT_TRUE(SaveBmp(old.string(), image).ok());
    ::stat(old.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ::umask(mask);
}

class MemorySink : public ByteSink {
  public:
    bool Write(const void* data, std::size_t n) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + n);
        return bytes.size() <= limit;
    }
    Bytes bytes;
    std::size_t limit = SIZE_MAX;  // a full disk past this many bytes
};

// Streaming rows through small chunks (and rows split into pieces) gives the same file as
// decoding the whole picture and exporting it, and the same PNG as the record's rows.
TEST(WriteBmpStreamed, EqualsTheExportOfTheDecodedPicture) {
    std::mt19937_64 rng(7);
    for (int round = 0; round < 400; ++round) {
        Bytes data(1 + rng() % 300);
        for (auto& b : data)
            b = static_cast<std::uint8_t>(rng());
        DibImage image;
        ViewSettings& s = image.settings;
        s.gColBit = static_cast<std::int32_t>(rng() % 3);
        s.gArray256 = s.gArray16 = s.gArray2 =
            static_cast<std::int32_t>(rng() % 3) % OrderCount(s.gColBit);
        s.gPicWidth = 1 + static_cast<std::int64_t>(rng() % 90);
        s.gPicHeight = 1 + static_cast<std::int64_t>(rng() % 30);
        const std::int64_t offset = static_cast<std::int64_t>(rng() % 1000) - 500;
        BuildPalette(image, static_cast<std::int32_t>(rng() % 3), s.gColBit, image.bmiColors);
        ASSERT_EQ(DecodePixels(image, data, offset), DecodeStatus::Ok);

        MemorySink sink;
        SpanSource source(data);
        const std::int64_t chunk = 1 + static_cast<std::int64_t>(rng() % 200);
        ASSERT_TRUE(
            WriteBmpStreamed(sink, DecodeLayout::From(s, offset), image.bmiColors, source, chunk));
        ASSERT_EQ(sink.bytes, BmpFileBytes(image))
            << "round " << round << " chunk " << chunk << " width " << s.gPicWidth;

        MemorySink png, fromRecord;
        PngJob job{.width = s.gPicWidth,
                   .height = s.gPicHeight,
                   .palette = &image.bmiColors,
                   .rows = DecodedRows(DecodeLayout::From(s, offset), source),
                   .chunkBytes = chunk};
        ASSERT_TRUE(WritePng(png, job)) << job.failure;
        job.rows = RecordRows(image);
        ASSERT_TRUE(WritePng(fromRecord, job));
        ASSERT_EQ(png.bytes, fromRecord.bytes) << "round " << round;
    }
}

// Found by fuzzing: an unknown depth divided by its zero pixels per byte.
TEST(WriteBmpStreamed, WritesAnUnknownDepthAsAllZeros) {
    MemorySink sink;
    SpanSource source(Bytes{1, 2, 3});
    ASSERT_TRUE(WriteBmpStreamed(sink, DecodeLayout{7, 0, 5, 2, 0}, {}, source, 3));
    ASSERT_EQ(sink.bytes.size(), kBmpPixelOffset + 17);
    EXPECT_EQ(Bytes(sink.bytes.begin() + kBmpPixelOffset, sink.bytes.end()), Bytes(17, 0));
}

// A row that ends just short of the data must not read the rest of its group of four bytes.
TEST(WriteBmpStreamed, ReadsNoFurtherThanTheDataAtAnyChunkSize) {
    const Bytes data{0xAB, 0xCD, 0xEF, 0x12, 0x34, 0x56};
    for (std::int64_t offset = -3; offset < 3; ++offset) {
        for (std::int64_t chunk = 1; chunk < 10; ++chunk) {
            DibImage image;
            image.settings.gColBit = kDepth16;
            image.settings.gPicWidth = 1;
            image.settings.gPicHeight = 14;
            ASSERT_EQ(DecodePixels(image, data, offset), DecodeStatus::Ok);
            MemorySink sink;
            SpanSource source(data);
            ASSERT_TRUE(WriteBmpStreamed(sink, DecodeLayout::From(image.settings, offset), {},
                                         source, chunk))
                << offset << " " << chunk;
            EXPECT_EQ(sink.bytes, BmpFileBytes(image));
        }
    }
}

class FailingSource : public ByteSource {
  public:
    std::int64_t size() const override { return 1000; }
    bool Read(std::int64_t, std::size_t, std::uint8_t*) override { return false; }
};

TEST(WriteBmpStreamed, StopsWhenTheSourceFails) {
    MemorySink sink;
    FailingSource source;
    EXPECT_FALSE(WriteBmpStreamed(sink, DecodeLayout{0, 0, 10, 100, 0}, {}, source));
    EXPECT_EQ(sink.bytes.size(), kBmpPixelOffset);
}

// Rows past libpng's default width limit and wider than a chunk; a failing sink or a cancel
// stops the write before more rows are asked for.
TEST(WritePng, TakesAnyWidthAndStopsWhenTold) {
    Bytes data(2'000'002);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    const DibImage image = Picture(data, 1'000'001, 2);
    SpanSource source(data);
    MemorySink held, decoded, full;
    PngJob job{.width = 1'000'001,
               .height = 2,
               .palette = &image.bmiColors,
               .rows = RecordRows(image),
               .chunkBytes = 4096};
    ASSERT_TRUE(WritePng(held, job)) << job.failure;
    job.rows = DecodedRows(DecodeLayout::From(image.settings, 0), source);
    ASSERT_TRUE(WritePng(decoded, job));
    EXPECT_EQ(decoded.bytes, held.bytes);

    int fills = 0;
    job.rows = [&fills](std::int64_t, std::int64_t, std::uint8_t*) { return ++fills > 0; };
    full.limit = 100;
    EXPECT_FALSE(WritePng(full, job));
    EXPECT_EQ(fills, 0);
    job.progress = [](std::int64_t, std::int64_t) { return false; };
    EXPECT_FALSE(WritePng(decoded, job));
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(job.failure, "");
    job.width = std::int64_t{1} << 31;
    EXPECT_FALSE(WritePng(held, job));
    EXPECT_NE(job.failure.find("too large for a PNG file"), std::string::npos);
}

// The file's pages are read where they lie; a file cut short meanwhile must end the write
// as a failed read, not end the program on the fault of a page that is gone.
TEST(WriteBmpStreamed, ReportsAFileCutShortWhileItIsRead) {
    TempDir dir;
    const fs::path path = dir.path() / "in.bin";
    WriteFile(path, Bytes(1 << 20, 0x5A));
    const int fd = ::open(path.c_str(), O_RDONLY);
    FdSource source(fd, 1 << 20);
    fs::resize_file(path, 1000);
    MemorySink sink;
    EXPECT_FALSE(WriteBmpStreamed(sink, DecodeLayout{0, 0, 256, 4096, 0}, {}, source));
    EXPECT_EQ(source.error(), FdSource::kShrank);
    ::close(fd);
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
