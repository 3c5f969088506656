#include "image/BmpFile.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
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
        return true;
    }
    Bytes bytes;
};

// What a PNG file holds, read back with libpng's reader: nothing of the writer's own code.
struct PngPicture {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = -1;
    Bytes palette;  // red, green, blue of each entry
    Bytes rows;     // top row first, one byte per pixel

    bool operator==(const PngPicture&) const = default;
};

PngPicture ReadPng(const Bytes& file) {
    PngPicture picture;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::size_t at = 0;
    const std::pair<const Bytes*, std::size_t*> input{&file, &at};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return {};
    }
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_read_fn(png, const_cast<void*>(static_cast<const void*>(&input)),
                    [](png_structp p, png_bytep out, std::size_t n) {
                        auto& [bytes, pos] = *static_cast<decltype(input)*>(png_get_io_ptr(p));
                        if (*pos + n > bytes->size()) {
                            png_error(p, "the file ends early");
                        }
                        std::memcpy(out, bytes->data() + *pos, n);
                        *pos += n;
                    });
    png_read_info(png, info);
    picture.width = png_get_image_width(png, info);
    picture.height = png_get_image_height(png, info);
    picture.bitDepth = png_get_bit_depth(png, info);
    picture.colourType = png_get_color_type(png, info);
    png_colorp colours = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colours, &count);
    for (int i = 0; i < count; ++i) {
        picture.palette.insert(picture.palette.end(),
                               {colours[i].red, colours[i].green, colours[i].blue});
    }
    picture.rows.resize(std::size_t{picture.width} * picture.height);
    for (png_uint_32 y = 0; y < picture.height; ++y) {
        png_read_row(png, picture.rows.data() + std::size_t{y} * picture.width, nullptr);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return picture;
}

// The picture a record's PNG must hold: its own rows turned top-down, all 256 entries.
PngPicture AsPng(const DibImage& image) {
    const auto width = static_cast<png_uint_32>(image.bmiHeader.biWidth);
    const auto height = static_cast<png_uint_32>(image.bmiHeader.biHeight);
    PngPicture picture{width, height, 8, PNG_COLOR_TYPE_PALETTE, {}, {}};
    for (const RGBQUAD& e : image.bmiColors) {
        picture.palette.insert(picture.palette.end(), {e.rgbRed, e.rgbGreen, e.rgbBlue});
    }
    const std::size_t stride = static_cast<std::size_t>(RowStride(width));
    for (std::size_t y = height; y-- > 0;) {
        const auto row = image.bits.begin() + static_cast<std::ptrdiff_t>(y * stride);
        picture.rows.insert(picture.rows.end(), row, row + width);
    }
    return picture;
}

// Streaming rows through small chunks (and rows split into pieces) gives the same file as
// decoding the whole picture and exporting it; the PNG streamed the same way holds the same
// pixels and palette, as does the PNG of the record itself.
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

        MemorySink png;
        PngJob job{.width = s.gPicWidth,
                   .height = s.gPicHeight,
                   .palette = &image.bmiColors,
                   .rows = DecodedRows(DecodeLayout::From(s, offset), source),
                   .chunkBytes = chunk};
        ASSERT_TRUE(WritePng(png, job)) << job.failure;
        ASSERT_EQ(ReadPng(png.bytes), AsPng(image)) << "round " << round;
        MemorySink fromRecord;
        job.rows = RecordRows(image);
        ASSERT_TRUE(WritePng(fromRecord, job));
        ASSERT_EQ(fromRecord.bytes, png.bytes) << "round " << round;
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

// Rows past libpng's default width limit and wider than a chunk, and every way a write stops:
// the sink, the rows, the progress callback or a size beyond the format.
TEST(WritePng, TakesAnyWidthAndStopsWhenTold) {
    const Bytes data(2'000'002, 0x5A);
    DibImage image;
    image.settings.gPicWidth = 1'000'001;
    image.settings.gPicHeight = 2;
    ASSERT_EQ(DecodePixels(image, data, 0), DecodeStatus::Ok);
    SpanSource source(data);
    struct Case {
        const char* what;
        std::int64_t width, sinkBytes;
        bool rowsFail, progressStops, ok;
        const char* failure;
    } cases[] = {
        {"wide", 1'000'001, -1, false, false, true, ""},
        {"sink fails", 1'000'001, 100, false, false, false, ""},
        {"rows fail", 1'000'001, -1, true, false, false, ""},
        {"cancelled", 1'000'001, -1, false, true, false, ""},
        {"too wide", std::int64_t{1} << 31, -1, false, false, false, "too large for a PNG"},
    };
    for (const Case& c : cases) {
        struct LimitedSink : MemorySink {
            std::int64_t limit;
            bool Write(const void* p, std::size_t n) override {
                return (limit < 0 || static_cast<std::int64_t>(bytes.size() + n) <= limit) &&
                       MemorySink::Write(p, n);
            }
        } sink;
        sink.limit = c.sinkBytes;
        int rowCalls = 0;
        const RowFill decoded = DecodedRows(DecodeLayout::From(image.settings, 0), source);
        PngJob job{.width = c.width,
                   .height = 2,
                   .palette = &image.bmiColors,
                   .rows =
                       [&](std::int64_t y0, std::int64_t y1, std::uint8_t* dst) {
                           ++rowCalls;
                           return !c.rowsFail && decoded(y0, y1, dst);
                       },
                   .progress = [&](std::int64_t, std::int64_t) { return !c.progressStops; },
                   .chunkBytes = 4096};
        EXPECT_EQ(WritePng(sink, job), c.ok) << c.what;
        EXPECT_NE(job.failure.find(c.failure), std::string::npos) << c.what << ": " << job.failure;
        EXPECT_LE(rowCalls, 1 + c.ok) << c.what;  // nothing more is asked for after a stop
        if (c.ok) {
            EXPECT_EQ(ReadPng(sink.bytes), AsPng(image));
        }
    }
}

}  // namespace
}  // namespace rastel::modBITMAPinfo
