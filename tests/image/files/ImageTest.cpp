// The decoder's rules on worked examples and at the limits of the BMP header, the BMP file's
// bytes and how it replaces a file, and PNG files of any width. That the fast loops agree with
// the plain rule everywhere, that the inverse names each pixel's bits, that rows decoded on
// demand are the picture's, and that the streamed writers give the record's files and report
// failing sources and sinks, is the fuzz checks' business; failing disks are the export test's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/base/ByteSource.h"
#include "image/files/BmpFile.h"
#include "image/files/PngFile.h"
#include "image/pixels/PixelDecoder.h"

namespace rastel::modBITMAPinfo {
namespace {

using namespace core;

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

DibImage Decoded(const Bytes& data, std::int32_t depth, std::int32_t order, std::int64_t width,
                 std::int64_t height, std::int64_t offset = 0) {
    DibImage image;
    image.settings.gColBit = depth;
    image.settings.gArray256 = image.settings.gArray16 = image.settings.gArray2 = order;
    image.settings.gPicWidth = width;
    image.settings.gPicHeight = height;
    EXPECT_TRUE(DecodePixels(image, data, offset).ok());
    return image;
}

struct Example {
    const char* name;
    Bytes data;
    std::int32_t depth, order;
    std::int64_t width, offset;
    Bytes pixels;  // one row
};

const Bytes k12345678 = {0x12, 0x34, 0x56, 0x78};

// Each order once, offsets that split its groups, bytes missing at the end.
TEST(DecodePixels, WorkedExamples) {
    const Example examples[] = {
        {"bytes", k12345678, 0, 0, 4, 0, {0x12, 0x34, 0x56, 0x78}},
        {"pairs", k12345678, 0, 1, 4, 0, {0x34, 0x12, 0x78, 0x56}},
        {"quads", k12345678, 0, 2, 4, 0, {0x78, 0x56, 0x34, 0x12}},
        {"nibbles high first", k12345678, 1, 0, 8, 0, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"nibbles low first", k12345678, 1, 1, 8, 0, {2, 1, 4, 3, 6, 5, 8, 7}},
        {"nibble pairs", k12345678, 1, 2, 8, 0, {4, 3, 2, 1, 8, 7, 6, 5}},
        {"bits msb first", {0x81, 0x40}, 2, 0, 16, 0, {1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0}},
        {"bits lsb first", {0x81, 0x40}, 2, 1, 16, 0, {1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
        {"bytes from 2", k12345678, 0, 0, 4, 2, {0x56, 0x78, 0, 0}},
        {"pairs from 1", k12345678, 0, 1, 4, 1, {0x12, 0x78, 0x56, 0}},
        {"nibbles from 1", k12345678, 1, 0, 8, 1, {2, 3, 4, 5, 6, 7, 8, 0}},
        {"bytes from -2", k12345678, 0, 0, 4, -2, {0, 0, 0x12, 0x34}},
        {"quads short", {1, 2, 3, 4, 5, 6}, 0, 2, 8, 0, {4, 3, 2, 1, 0, 0, 6, 5}},
        {"nibble pairs short", {1, 2, 0xAB}, 1, 2, 8, 0, {2, 0, 1, 0, 0, 0, 0xB, 0xA}},
        {"order outside the list", k12345678, 0, -1, 4, 0, {0, 0, 0, 0}},
        {"bit order outside the list", k12345678, 2, 2, 8, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Example& e : examples) {
        const DibImage image = Decoded(e.data, e.depth, e.order, e.width, 1, e.offset);
        EXPECT_EQ(Bytes(image.bits.begin(), image.bits.begin() + std::ssize(e.pixels)), e.pixels)
            << e.name;
    }
}

// The first file row at the top of the picture, the last at the bottom of the array; rows
// padded with zeros to a multiple of four bytes; one zero byte beyond.
TEST(DecodePixels, StoresRowsBottomUpPaddedWithOneByteMore) {
    EXPECT_EQ(Decoded({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0, 0, 4, 3).bits,
              (Bytes{9, 10, 0, 0, 5, 6, 7, 8, 1, 2, 3, 4, 0}));
    for (const auto& [width, stride] :
         {std::pair<std::int64_t, std::int64_t>{1, 4}, {4, 4}, {5, 8}, {2147483647, 2147483648}}) {
        EXPECT_EQ(RowStride(width), stride) << width;
    }
}

TEST(DecodePixels, RefusesWhatABmpHeaderCannotHold) {
    EXPECT_EQ(CheckBmpGeometry(0, 1).why, Outcome::Why::kBadSize);
    EXPECT_EQ(CheckBmpGeometry(1, 0).why, Outcome::Why::kBadSize);
    EXPECT_EQ(CheckBmpGeometry(2147483647, 1).why, Outcome::Why::kDone);
    EXPECT_EQ(CheckBmpGeometry(2147483648, 1).why, Outcome::Why::kTooLarge);
    EXPECT_EQ(CheckBmpGeometry(1, 2147483648).why, Outcome::Why::kTooLarge);
    // 1078 + biSizeImage + 1 must fit bfSize's 32 bits.
    EXPECT_EQ(CheckBmpGeometry(4, 1073741554).why, Outcome::Why::kDone);
    EXPECT_EQ(CheckBmpGeometry(4, 1073741555).why, Outcome::Why::kTooLarge);
}

TEST(BmpFile, LaysOutHeadersPaletteAndBottomUpRows) {
    DibImage image = Decoded({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0, 0, 5, 2);
    image.bmiColors[1] = {10, 20, 30, 0};  // blue, green, red differ so a swap shows
    const Bytes file = BmpFileBytes(image);
    const Bytes head = {
        'B', 'M', 0x47, 4, 0, 0, 0,  0, 0, 0, 0x36, 4, 0, 0,  // file: 1095, 1078
        40,  0,   0,    0, 5, 0, 0,  0, 2, 0, 0,    0, 1, 0,  // size, width, height, planes
        8,   0,   0,    0, 0, 0, 16, 0, 0, 0};                // 8 bits, plain, 16 bytes
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 38), head);
    EXPECT_EQ(Bytes(file.begin() + 54 + 4, file.begin() + 54 + 8), (Bytes{10, 20, 30, 0}));
    EXPECT_EQ(Bytes(file.begin() + 1078, file.end()),
              (Bytes{6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0, 0}));
}

TEST(AtomicFile, ReplacesAFileWholeKeepingItsModeAndLeavesNothingElse) {
    std::string tmpl = (fs::temp_directory_path() / "rastel-bmp-XXXXXX").string();
    const fs::path dir = ::mkdtemp(tmpl.data());
    const mode_t mask = ::umask(022);
    const DibImage image = Decoded({1, 2, 3}, 0, 0, 3, 1);
    const auto SaveBmp = [&image](const std::string& path, const DibImage&) {
        AtomicFile file(path);
        WriteBmp(file, image);
        return file.Commit();
    };
    const fs::path fresh = dir / "new.bmp";
    ASSERT_TRUE(SaveBmp(fresh.string(), image).ok());
    struct stat st {};
    ::stat(fresh.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    const fs::path old = dir / "old.bmp";
    WriteFile(old, Bytes(5000, 0xAB));
    ::chmod(old.c_str(), 0600);
    ASSERT_TRUE(SaveBmp(old.string(), image).ok());
    EXPECT_EQ(ReadFile(old), BmpFileBytes(image));
    ::stat(old.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    {  // a write abandoned half way never reaches the target
        AtomicFile file(old.string());
        ASSERT_TRUE(file.Write("BM", 2));
    }
    EXPECT_EQ(ReadFile(old), BmpFileBytes(image));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2);

    // A FIFO, as /dev/null or a pipe, is written into and stays what it is; with no reader,
    // the write fails at once instead of waiting for one.
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(SaveBmp(fifo.string(), image).error, ENXIO);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(SaveBmp(fifo.string(), image).ok());
    Bytes got(BmpFileBytes(image).size() + 1);
    EXPECT_EQ(::read(reader, got.data(), got.size()), static_cast<ssize_t>(got.size() - 1));
    got.pop_back();
    EXPECT_EQ(got, BmpFileBytes(image));
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 3);

    {  // room set aside for more than was written leaves nothing after the bytes
        AtomicFile file(old.string());
        file.Expect(std::uint64_t{1} << 20);
        ASSERT_TRUE(file.Write("BM", 2));
        ASSERT_TRUE(file.Commit().ok());
    }
    EXPECT_EQ(ReadFile(old), (Bytes{'B', 'M'}));
    ::umask(mask);
    fs::remove_all(dir);
}

class MemorySink : public ByteSink {
  public:
    Bytes bytes;

  private:
    Outcome Put(const void* data, std::size_t n) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + n);
        return {};
    }
};

// Rows past libpng's default width limit and wider than a chunk; a cancel stops the write
// before more rows are asked for. Pictures too large for the format are the renderer's test.
TEST(WritePng, TakesAnyWidthAndStopsWhenTold) {
    Bytes data(2'000'002);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    const DibImage image = Decoded(data, 0, 0, 1'000'001, 2);
    SpanSource source(data);
    MemorySink held, decoded;
    PngJob job{.width = 1'000'001,
               .height = 2,
               .palette = &image.bmiColors,
               .rows = RecordRows(image),
               .chunkBytes = 4096};
    ASSERT_TRUE(WritePng(held, job).ok());
    job.rows = DecodedRows(DecodeLayout::From(image.settings, 0), source);
    ASSERT_TRUE(WritePng(decoded, job).ok());
    EXPECT_EQ(decoded.bytes, held.bytes);

    int fills = 0;
    job.rows = [&fills](std::int64_t, std::int64_t, std::uint8_t*) {
        ++fills;
        return Outcome{};
    };
    job.progress = [](std::int64_t, std::int64_t) { return false; };
    EXPECT_EQ(WritePng(decoded, job).why, Outcome::Why::kCancelled);
    EXPECT_EQ(fills, 1);
}

// The file's pages are read where they lie; a file cut short meanwhile must end the write as a
// failed read, not end the program on the fault of a page that is gone.
TEST(WriteBmpStreamed, ReportsAFileCutShortWhileItIsRead) {
    const fs::path path = fs::temp_directory_path() / ("rastel-cut-" + std::to_string(::getpid()));
    WriteFile(path, Bytes(1 << 20, 0x5A));
    const int fd = ::open(path.c_str(), O_RDONLY);
    FdSource source(fd, 1 << 20);
    fs::resize_file(path, 1000);
    MemorySink sink;
    const Outcome written = WriteBmpStreamed(sink, DecodeLayout{0, 0, 256, 4096, 0}, {}, source);
    EXPECT_EQ(std::pair(written.why, written.error),
              std::pair(Outcome::Why::kUnreadable, FdSource::kShrank));
    ::close(fd);
    fs::remove(path);
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
