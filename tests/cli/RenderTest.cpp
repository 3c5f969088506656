// rastel-render as scripts use it: the real program, its files, its exit codes and messages.
// That any command line is refused or read back the same is the render options fuzz check's
// business.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "image/files/BmpFile.h"
#include "image/pixels/FormatDisplay.h"
#include "image/pixels/PaletteBuilder.h"

namespace rastel::cli {
namespace {

namespace fs = std::filesystem;
using namespace modBITMAPinfo;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
using namespace core;
using Bytes = std::vector<std::uint8_t>;

Bytes Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

Bytes Sample(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) {
        b[i] = static_cast<std::uint8_t>(i * 37 + (i >> 3));
    }
    return b;
}

// What the viewer exports for a fresh start with these settings.
Bytes Expected(const Bytes& data, std::int32_t depth, std::int32_t order, std::int64_t width,
               std::int32_t palette = 0, std::int64_t offset = 0) {
    DibImage image;
    image.settings.gColBit = depth;
    image.settings.gArray256 = image.settings.gArray16 = image.settings.gArray2 = order;
    image.settings.gPicWidth = width;
    image.settings.gPicHeight = (std::ssize(data) * PixelsPerByte(depth) + width - 1) / width;
    BuildPalette(image, palette, depth, image.bmiColors);
    EXPECT_TRUE(DecodePixels(image, data, offset).ok());
    return BmpFileBytes(image);
}

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "rastel-render-XXXXXX").string();
        dir = ::mkdtemp(tmpl.data());
        stdOut = (dir / "out").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string File(const std::string& name, const Bytes& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return (dir / name).string();
    }

    // Runs the program through the shell, after the commands in before (a ulimit, say), with a
    // minute to finish: waiting on a FIFO or reading a device for ever fails instead of hanging.
    // Its standard output goes to out, its standard error to err.
    int Run(const std::string& args, const std::string& out = "", const char* before = "") {
        const std::string command = std::string(before) + "timeout 60 '" + RASTEL_RENDER_EXE +
                                    "' " + args + " >'" + (out.empty() ? stdOut : out) + "' 2>'" +
                                    (dir / "err").string() + "' </dev/null";
        const int status = std::system(command.c_str());
        const Bytes bytes = Read(dir / "err");
        err.assign(bytes.begin(), bytes.end());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Out() const {
        const Bytes bytes = Read(stdOut);
        return {bytes.begin(), bytes.end()};
    }

    fs::path dir;
    std::string stdOut, err;
};

TEST_F(RenderTest, WritesTheViewersExportForEveryDepthOrderAndPalette) {
    const Bytes data = Sample(333);
    const std::string in = File("d.bin", data);
    ASSERT_EQ(Run("'" + in + "'"), 0);  // the defaults, beside the input
    EXPECT_EQ(Read(in + ".bmp"), Expected(data, 0, 0, 128));
    const std::string small = File("small.bin", Sample(5));
    ASSERT_EQ(Run("'" + small + "'"), 0);
    EXPECT_EQ(Read(small + ".bmp"), Expected(Sample(5), 0, 0, 5));

    // Every option, in both spellings, as the viewer's settings of the same names.
    for (const auto& [args, depth, order, width, palette, offset] :
         {std::tuple{"--depth 16 --order=2 --width 37 --offset -13 --palette binary", 1, 2, 37, 2,
                     -13},
          {"--depth=2 --order 1 --width=40 --offset=5 --palette=thermo", 2, 1, 40, 1, 5}}) {
        ASSERT_EQ(Run(std::string(args) + " -o - '" + in + "'"), 0) << err;
        EXPECT_EQ(err, "");
        EXPECT_EQ(Read(stdOut), Expected(data, depth, order, width, palette, offset)) << args;
    }
    // A PNG of the same pixels and palette.
    ASSERT_EQ(Run("--depth 16 --width 30 --palette thermo -o '" + (dir / "p.PNG").string() + "' '" +
                  in + "'"),
              0);
    const Bytes bmp = Expected(data, 1, 0, 30, 1);
    const QImage png(QString::fromStdString((dir / "p.PNG").string()), "png");
    EXPECT_EQ(png.format(), QImage::Format_Indexed8);
    EXPECT_EQ(png, QImage::fromData(bmp.data(), static_cast<int>(bmp.size()), "bmp"));
}

// Each family's BMP and PNG, their headers, and their pixels read back by Qt as the decoder
// gives them: odd widths (so rows are padded), a YUV pair astride rows, offsets and a stride
// that cut pixels, rows of a stride all inside the file, and the width a stride or the file
// gives when none is (a last pixel cut short counts).
TEST_F(RenderTest, WritesDirectFormatsInTheirColours) {
    const Bytes data = Sample(301);
    const std::string in = File("c.bin", data);
    struct Family {
        const char* args;
        std::int64_t width;
        int bits;
        std::uint32_t pixelOffset;
        int pngDepth, pngType;  // 2: RGB, 6: RGBA, 0: grey
    };
    for (const auto& [args, width, bits, pixelOffset, pngDepth, pngType] :
         {Family{"bgr565le --width 7 --offset 3 --stride 17", 7, 24, 54, 8, 2},
          {"yuyv422 --width 7 --offset -1", 7, 24, 54, 8, 2},
          {"argb --width 5 --offset 2", 5, 32, 122, 8, 6},
          {"gray16be --width 7 --offset 1", 7, 8, 1078, 16, 0},
          {"gray10le --width 7", 7, 8, 1078, 16, 0},
          {"rgb48le --width 7 --offset 3", 7, 24, 54, 16, 2},
          {"rgba64be --width 5 --offset -3 --stride 43", 5, 32, 122, 16, 6},
          {"rgb24 --stride 43", 14, 24, 54, 8, 2},
          {"bgra --stride 43", 10, 32, 122, 8, 6},
          {"rgb24 --stride 400", 101, 24, 54, 8, 2},
          {"nv21 --width 7 --offset 3 --frame-height 5", 7, 24, 54, 8, 2},
          {"yuv420p10le --width 5 --stride 11 --frame-height 3", 5, 24, 54, 8, 2},
          {"yuv411p --width 9 --offset -2", 9, 24, 54, 8, 2},
          {"bayer_grbg16le --width 7 --offset 1", 7, 24, 54, 8, 2},
          {"bayer_bggr8 --width 9 --stride 10", 9, 24, 54, 8, 2}}) {
        SCOPED_TRACE(args);
        const std::string bmp = (dir / "x.bmp").string(), png = (dir / "x.png").string();
        ASSERT_EQ(Run("--format " + std::string(args) + " -o '" + bmp + "' '" + in + "'"), 0);
        ASSERT_EQ(Run("--format " + std::string(args) + " -o '" + png + "' '" + in + "'"), 0);
        std::istringstream words(args);
        std::string name, option;
        std::int64_t value = 0, offset = 0, stride = 0, frame = 0;
        for (words >> name; words >> option >> value;) {
            offset = option == "--offset" ? value : offset;
            stride = option == "--stride" ? value : stride;
            frame = option == "--frame-height" ? value : frame;
        }
        const FormatLayout l =
            FormatLayout::For(*FindFormat(name), 301, width, offset, stride, frame);
        const Bytes file = Read(bmp);
        ASSERT_EQ(file.size(), pixelOffset + BmpRowBytes(bits, width) * l.height);
        EXPECT_EQ(U32(file, 2), file.size());
        EXPECT_EQ(U32(file, 10), pixelOffset);
        EXPECT_EQ(U32(file, 14), bits == 32 ? 108u : 40u);
        EXPECT_EQ(U32(file, 28) & 0xFFFF, static_cast<std::uint32_t>(bits));
        EXPECT_EQ(U32(file, 30), bits == 32 ? 3u : 0u);  // the masks name the channels
        if (bits == 32) {
            EXPECT_EQ(std::vector({U32(file, 54), U32(file, 58), U32(file, 62), U32(file, 66)}),
                      std::vector<std::uint32_t>({0xFF0000, 0xFF00, 0xFF, 0xFF000000}));
        }
        const Bytes head = Read(png);
        EXPECT_EQ(std::pair(int{head[24]}, int{head[25]}), std::pair(pngDepth, pngType));

        const QImage b(QString::fromStdString(bmp), "bmp"), p(QString::fromStdString(png), "png");
        ASSERT_EQ(b.size(), QSize(static_cast<int>(width), static_cast<int>(l.height)));
        ASSERT_EQ(p.size(), b.size());
        const Range16 range = Gray16Range(l, data, 0, l.height);
        for (int y = 0; y < b.height(); ++y) {
            for (int x = 0; x < b.width(); ++x) {
                const std::uint32_t want = FormatPixelAt(l, data, x, y).value;
                if (bits == 8) {
                    const std::uint8_t level = GreyLevel(static_cast<std::uint16_t>(want), range);
                    ASSERT_EQ(b.pixel(x, y), qRgb(level, level, level)) << x << "," << y;
                    // 10 bits widened to 16 by their high bits: 1023 is 65535.
                    const int valueBits = FindFormat(name)->fields[0].bits;
                    ASSERT_EQ(reinterpret_cast<const quint16*>(p.constScanLine(y))[x],
                              valueBits == 10 ? want << 6 | want >> 4 : want);
                } else if (pngDepth == 16) {  // the BMP the high bytes, the PNG the samples
                    ASSERT_EQ(b.pixel(x, y), want) << x << "," << y;
                    const QRgba64 c = p.pixelColor(x, y).rgba64();
                    const auto ch = FormatPixelAt(l, data, x, y).channels;
                    ASSERT_EQ(std::vector<quint16>({c.red(), c.green(), c.blue(), c.alpha()}),
                              std::vector<quint16>(
                                  {static_cast<quint16>(ch[0]), static_cast<quint16>(ch[1]),
                                   static_cast<quint16>(ch[2]),
                                   static_cast<quint16>(bits == 32 ? ch[3] : 0xFFFF)}))
                        << x << "," << y;
                } else {
                    ASSERT_EQ(b.pixel(x, y), want) << x << "," << y;
                    ASSERT_EQ(p.pixel(x, y), want) << x << "," << y;
                }
            }
        }
    }
}

TEST_F(RenderTest, ListsWidthsOrBlocksOnePerLineInsteadOfAPicture) {
    Bytes table(37 * 500);  // records of 37 bytes, each with its number first
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<std::uint8_t>(i % 37 == 0 ? i / 37 : i % 37 * 5);
    }
    const std::string in = File("t.bin", table);
    ASSERT_EQ(Run("--depth 16 --suggest-width '" + in + "'"), 0) << err;
    // 37 bytes of 2 pixels, a score near 1, an element of a byte.
    EXPECT_EQ(Out().substr(0, 6), "74 0.9");
    EXPECT_EQ(Out().substr(8, 5), " 1 -\n");
    EXPECT_FALSE(fs::exists(in + ".bmp"));
    // Two frames of QCIF in planes: a frame size, in its own form, after the widths.
    Bytes frames(176 * 144 * 3);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i] = static_cast<std::uint8_t>(i % 176 + i / 176 % 144);
    }
    ASSERT_EQ(Run("--suggest-width --format yuv420p '" + File("f.yuv", frames) + "'"), 0) << err;
    EXPECT_TRUE(std::regex_search(Out(), std::regex("\\n176x144 [01]\\.\\d{3} yuv420p QCIF\\n")))
        << Out();
    ASSERT_EQ(Run("--help"), 0);
    EXPECT_NE(Out().find("--suggest-width"), std::string::npos);
    // An icon of 64 BGRA pixels a row and a photograph of 200 bytes a row, best first: start,
    // length, row, element, format, width, score (its first digit here), kind.
    const fs::path photo = fs::path(__FILE__).parent_path() /
                           "../image/search/pictures/two-bgra-icon-256-grey-coins-200.bin";
    ASSERT_EQ(Run("--find-pictures '" + photo.string() + "'"), 0) << err;
    EXPECT_EQ(std::regex_replace(Out(), std::regex("(0\\.\\d)\\d\\d "), "$1.. "),
              "0x00001771 16384 256 4 bgra 64 0.8.. picture\n"
              "0x000072cc 18000 200 1 - 200 0.7.. picture\n");
    // Written out, each is the picture of its bytes alone, named by its start, size and format.
    fs::create_directory(dir / "found");
    ASSERT_EQ(Run("--find-pictures --extract '" + (dir / "found").string() + "' '" +
                  photo.string() + "'"),
              0)
        << err;
    const std::string found = (dir / "found/").string();
    EXPECT_EQ(Out(),
              found + "0x00001771-64x64-bgra.png\n" + found + "0x000072cc-200x90-pal8.png\n");
    for (const auto& [name, look] :
         {std::pair{"0x00001771-64x64-bgra.png",
                    "--format bgra --width 64 --offset 6001 --length 16384"},
          {"0x000072cc-200x90-pal8.png", "--width 200 --offset 29388 --length 18000"}}) {
        ASSERT_EQ(Run(std::string(look) + " -o '" + (dir / "one.png").string() + "' '" +
                      photo.string() + "'"),
                  0)
            << err;
        EXPECT_EQ(Read(dir / "found" / name), Read(dir / "one.png")) << name;
    }

    // A folder that fills up: the pictures written stay whole, the one that failed leaves
    // nothing, and the failure names it.
    fs::create_directory(dir / "full");
    ASSERT_EQ(
        Run("--find-pictures --extract '" + (dir / "full").string() + "' '" + photo.string() + "'",
            "", "ulimit -f 14; "),  // 7 KiB, or 14 with a 1 KiB block
        1);
    EXPECT_EQ(Out(), found.substr(0, found.size() - 6) + "full/0x00001771-64x64-bgra.png\n");
    EXPECT_NE(err.find("0x000072cc-200x90-pal8.png: File too large"), std::string::npos) << err;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "full"), {}), 1);

    // A table of records is listed after the picture beside it, and written out only when
    // asked for, a record a row.
    const fs::path records = fs::path(__FILE__).parent_path() /
                             "../image/search/pictures/table-records-16-grey-camera-240.bin";
    ASSERT_EQ(Run("--find-pictures '" + records.string() + "'"), 0) << err;
    EXPECT_EQ(std::regex_replace(Out(), std::regex(" 0\\.\\d\\d\\d "), " "),
              "0x0000938b 24000 240 1 - 240 picture\n0x0000138b 32768 16 1 - 16 table\n");
    for (const bool tables : {false, true}) {
        const fs::path to = dir / (tables ? "with" : "without");
        fs::create_directory(to);
        ASSERT_EQ(Run("--find-pictures --extract '" + to.string() +
                      (tables ? "' --tables '" : "' '") + records.string() + "'"),
                  0)
            << err;
        EXPECT_EQ(Out(), to.string() + "/0x0000938b-240x100-pal8.png\n" +
                             (tables ? to.string() + "/0x0000138b-16x2048-pal8.png\n" : ""));
    }

    Bytes blocks(400, 0);  // zeros, a fill, text, and a last block one byte short
    blocks.resize(800, 0xFF);
    for (int i = 0; i < 799; ++i)
        blocks.push_back("ab"[i % 2]);
    const std::string b = File("b.bin", blocks);
    ASSERT_EQ(Run("--overview --blocks=4 '" + b + "'"), 0) << err;
    EXPECT_EQ(Out(),
              "0x00000000 400 0.00 zero\n0x00000190 400 0.00 uniform\n"
              "0x00000320 400 1.00 text\n0x000004b0 399 1.00 text\n");
    // By default 256 blocks, but never more than the file has bytes.
    ASSERT_EQ(Run("--overview '" + File("s.bin", Sample(100)) + "'"), 0);
    const std::string lines = Out();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 100);
}

// Each refusal is one line on standard error, at once and leaving no file, and exits 2 for a
// command line not understood, 1 for anything else.
TEST_F(RenderTest, RefusesBadFilesSettingsAndOutputsWithOneLine) {
    const std::string in = File("r.bin", Sample(100));
    const std::string empty = File("empty.bin", {});
    const std::string two = File("two.bin", Sample(2));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::resize_file(File("tall.bin", {}), 300'000'000);  // 2.4 billion pixels at 2 colours
    const std::string f = " '" + in + "'";
    const std::string photo = (fs::path(__FILE__).parent_path() /
                               "../image/search/pictures/two-bgra-icon-256-grey-coins-200.bin")
                                  .string();
    const std::string tall = " '" + (dir / "tall.bin").string() + "'";
    struct Case {
        std::string args, message;
        int status = 1;
        std::string out = "";
        const char* before = "";  // a limit: AddressSanitizer needs more address space
    };
    const Case cases[] = {
        {"'" + dir.string() + "'", ": is a folder"},
        {"'" + empty + "'", ": is empty"},
        {"/proc/self/status", "status: cannot be measured: the system gives its size as 0"},
        {"--length 0" + f, "length 0 is out of range: 1 to the bytes after the offset", 2},
        {"--offset 2130706431" + f, "or give --length", 2},
        {"--offset 1 --length 100" + f, "length 100 from offset 1 is out of range"},
        {"--offset -1 --length 1" + f, "length 1 from offset -1 is out of range"},
        {"--depth 2 --offset 800 --length 1" + f, "length 1 from offset 800 is out of range"},
        {"--suggest-width --length 5" + f, "--length does not go with --suggest-width", 2},
        {"--extract ." + f, "--extract goes with --find-pictures", 2},
        {"--find-pictures --tables" + f, "--tables goes with --extract", 2},
        // the folder asked for at once, though the file holds no picture to write
        {"--find-pictures --extract '" + (dir / "no").string() + "'" + f,
         "rastel-render: " + (dir / "no").string() + ": cannot be written into: No such file"},
        {"--find-pictures --extract '" + in + "'" + f, "r.bin: is not a folder"},
        {"'" + (dir / "fifo").string() + "'", ": is not a regular file"},
        {"'" + (dir / "missing").string() + "'", ": cannot be read: No such file or directory"},
        {"--frobnicate" + f, "unknown option '--frobnicate'", 2},
        {"--depth 3" + f, "unknown depth '3'", 2},
        {"--depth 2 --order 2" + f, "order 2 is not one of the orders of 2 colours (0 to 1)", 2},
        {"--width 0" + f, "width 0 is out of range: 1 to 100"},
        {"--depth 2 --width 801" + f, "width 801 is out of range: 1 to 800"},
        {"--offset 2130706431" + f, "offset 2130706431 is out of range", 2},
        {"--offset=-2130706431" + f, "offset -2130706431 is out of range", 2},
        {"--palette rainbow" + f, "unknown palette 'rainbow'", 2},
        {"--overview --blocks 0" + f, "blocks 0 is out of range: 1 to 65536", 2},
        {"--overview --blocks 65537" + f, "blocks 65537 is out of range: 1 to 65536", 2},
        {"--overview --blocks=many" + f, "--blocks needs a whole number", 2},
        {"--blocks 4" + f, "--blocks goes with --overview", 2},
        {"--overview '" + (dir / "fifo").string() + "'", ": is not a regular file"},
        {"-o '" + (dir / "no" / "x.bmp").string() + "'" + f, "No such file or directory"},
        {"-o -" + f, "write output: No space left on device", 1, "/dev/full"},
        {"--depth 16", "no FILE given", 2},
        {"-o '" + (dir / "no" / "x.png").string() + "'" + f, "No such file or directory"},
        {"--depth 2 --width 1 -o x.png" + tall, "2400000000 pixels is too large for a PNG file"},
        {"--depth 2 --width 2000000000 -o '" + (dir / "m.png").string() + "'" + tall,
         "not enough memory for the PNG writer", 1, "", "ulimit -v 262144;"},
        // sysfs gives fewer bytes than the size it states
        {"-o '" + (dir / "s.bmp").string() + "' /sys/kernel/uevent_seqnum",
         "uevent_seqnum: cannot be read: it shrank while it was read"},
        {"--find-pictures /sys/kernel/uevent_seqnum", "cannot be read: it shrank while it was"},
        {"--overview /sys/kernel/uevent_seqnum", "cannot be read: it shrank while it was"},
        {"--suggest-width /sys/kernel/uevent_seqnum", "cannot be read: it shrank while it was"},
        {"--overview --suggest-width" + f, "--suggest-width does not go with --overview", 2},
        {"--overview --width 0 -o /nonexistent/x.png" + f, "--width does not go with --overview",
         2},
        {"--overview --depth 2" + f, "--depth does not go with --overview", 2},
        {"--suggest-width --width -5" + f, "--width does not go with --suggest-width", 2},
        {"--suggest-width -o -" + f, "-o does not go with --suggest-width", 2},
        {"--find-pictures --order 1" + f, "--order does not go with --find-pictures", 2},
        {"--overview --blocks 99999999999999999999" + f,
         "blocks 99999999999999999999 is out of range: 1 to 65536", 2},
        {"--width 99999999999999999999" + f, "width 99999999999999999999 is out of range", 2},
        {"--format rgb24 --depth 16" + f, "--depth does not go with --format", 2},
        {"--format rgb48" + f, "unknown format 'rgb48': use one of " + FormatNames(", "), 2},
        {"--format rgb24 --width 4 --stride 11" + f,
         "stride 11 is smaller than a row of 4 pixels of rgb24, 3 bytes each", 2},
        {"--stride 8" + f, "--stride goes with --format", 2},
        {"--format rgb0 --width 26" + f, "width 26 is out of range: 1 to 25 for this file in rgb0"},
        {"--format rgb24 '" + two + "'", ": is shorter than a pixel of rgb24 (3 bytes)"},
        {"--format rgb24 --frame-height 4" + f,
         "--frame-height does not go with --format rgb24: only formats with planes have frames", 2},
        {"--frame-height 4" + f, "--frame-height goes with --format", 2},
        {"--format nv12 --frame-height 0" + f, "frame height 0 is out of range: 1 to", 2},
        {"--format nv12 --width 10 --frame-height 11" + f,
         "frame height 11 is out of range: 1 to 10, the rows of 10 bytes the file holds"},
        {"--format bayer_rggb8 --width 1" + f,
         "width 1 is out of range: a mosaic of bayer_rggb8 needs rows of 2 pixels at least", 2},
    };
    for (const Case& c : cases) {
        if (*c.before != '\0' && kSanitized) {
            continue;
        }
        EXPECT_EQ(Run(c.args, c.out, c.before), c.status) << c.args;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.args << " said: " << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(err.rfind("rastel-render: ", 0), 0u) << err;
    }
    EXPECT_FALSE(fs::exists(in + ".bmp"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 7);  // inputs, out and err only
    EXPECT_EQ(Run("--overview --blocks 65536" + f), 0);
    EXPECT_EQ(Run("--depth 2 --width 800 --offset -2130706430" + f), 0);
    EXPECT_EQ(Run("--offset 2130706430" + f), 0);
}

// A file past the viewer's limit of 2 GB: a picture found beyond it, written with its start and
// length, is the picture of those bytes as a file of their own, at each depth, order and format
// the bytes take; a part that starts inside a group of bytes an order reverses reads that group
// as the whole file does.
TEST_F(RenderTest, WritesAPictureFoundBeyondTwoGigabytesAlone) {
    const fs::path photo =
        fs::path(__FILE__).parent_path() / "../image/search/pictures/rgb24-coffee-450-in-gzip.bin";
    const Bytes bytes = Read(photo);
    const std::int64_t at = std::int64_t{2100} << 20;
    const std::string big = File("big.bin", {});
    fs::resize_file(big, static_cast<std::uintmax_t>(at));
    std::ofstream(big, std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    fs::resize_file(big, std::uintmax_t{2200} << 20);
    ASSERT_EQ(Run("--find-pictures '" + big + "'"), 0) << err;
    std::istringstream first(Out());
    std::string start, format;
    std::int64_t size = 0, row = 0, element = 0, width = 0;
    first >> start >> size >> row >> element >> format >> width;
    ASSERT_EQ(std::tuple(row, format, width), std::tuple(450, "rgb24", 150)) << Out();
    const std::int64_t offset = std::stoll(start, nullptr, 16);
    ASSERT_GT(offset, std::int64_t{1} << 31);
    const auto from = bytes.begin() + (offset - at);
    const std::string part = File("part.bin", Bytes(from, bytes.end() - 5));
    // The same bytes from the start of their group of 4, shown from where the part starts: rows
    // of the widths below as many as the part's.
    // The same bytes from the start of their group of 4, shown from where the part starts: rows
    // of the widths below as many as the part's.
    const std::string aligned = File("aligned.bin", Bytes(from - offset % 4, bytes.end() - 5));
    const std::string length = " --length " + std::to_string(fs::file_size(part));
    struct Look {
        std::string args;
        std::int64_t perByte;
        bool reverses;  // groups of bytes: the alone file keeps their place in the whole
    };
    for (const Look& l : {Look{"--format rgb24 --width 150", 1, false},
                          {"--format yuyv422 --width 225", 1, false},
                          {"--depth 2 --width 3600", 8, false},
                          {"--depth 16 --order 2 --width 901", 2, true},
                          {"--order 2 --width 451", 1, true}}) {
        SCOPED_TRACE(l.args);
        const std::string alone =
            l.reverses
                ? " --offset " + std::to_string(offset % 4 * l.perByte) + " '" + aligned + "'"
                : " '" + part + "'";
        ASSERT_EQ(Run(l.args + " -o '" + (dir / "alone.png").string() + "'" + alone), 0) << err;
        ASSERT_EQ(Run(l.args + " --offset " + std::to_string(offset * l.perByte) + length +
                      " -o '" + (dir / "found.png").string() + "' '" + big + "'"),
                  0)
            << err;
        EXPECT_EQ(Read(dir / "found.png"), Read(dir / "alone.png"));
    }
}

// The largest file there may be, streamed through memory that could not hold it.
TEST_F(RenderTest, MemoryStaysSmallOnTheLargestFile) {
    if (kSanitized) {
        GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
    }
    fs::resize_file(File("large.bin", {}), 0x7EFFFFFF);
    EXPECT_EQ(Run("-o - '" + (dir / "large.bin").string() + "'", "/dev/null", "ulimit -v 262144;"),
              0)
        << err;
    EXPECT_EQ(Run("--overview --blocks 65536 '" + (dir / "large.bin").string() + "'", "/dev/null",
                  "ulimit -v 262144;"),
              0)
        << err;
}

}  // namespace
}  // namespace rastel::cli
