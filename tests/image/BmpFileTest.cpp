// The BMP file's bytes and how it replaces a file. That the streamed writer gives the same bytes,
// and reports failing sources and sinks, is the BMP writer fuzz check's business; failing disks
// are the export test's.
#include "image/BmpFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace rastel::modBITMAPinfo {
namespace {

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

DibImage Picture(const Bytes& data, std::int64_t width, std::int64_t height) {
    DibImage image;
    image.settings.gPicWidth = width;
    image.settings.gPicHeight = height;
    EXPECT_EQ(DecodePixels(image, data, 0), DecodeStatus::Ok);
    return image;
}

TEST(BmpFile, LaysOutHeadersPaletteAndBottomUpRows) {
    DibImage image = Picture({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 5, 2);
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

TEST(SaveBmp, ReplacesAFileWholeKeepingItsModeAndLeavesNothingElse) {
    std::string tmpl = (fs::temp_directory_path() / "rastel-bmp-XXXXXX").string();
    const fs::path dir = ::mkdtemp(tmpl.data());
    const mode_t mask = ::umask(022);
    const DibImage image = Picture({1, 2, 3}, 3, 1);
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
    ::umask(mask);
    fs::remove_all(dir);
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
