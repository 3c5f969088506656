// rastel-render as scripts use it: the real program, its files, its exit codes and messages.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/BmpFile.h"
#include "image/PaletteBuilder.h"

namespace rastel::cli {
namespace {

namespace fs = std::filesystem;
using namespace modBITMAPinfo;
using Bytes = std::vector<std::uint8_t>;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "rastel-render-XXXXXX").string();
        dir_ = ::mkdtemp(tmpl.data());
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path File(const std::string& name, const Bytes& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    static Bytes Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    Outcome Run(const std::string& args) {
        const fs::path out = dir_ / "stdout";
        const fs::path err = dir_ / "stderr";
        const std::string command = std::string("'") + RASTEL_RENDER_EXE + "' " + args + " >'" +
                                    out.string() + "' 2>'" + err.string() + "' </dev/null";
        const int status = std::system(command.c_str());
        Outcome o;
        o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const Bytes outBytes = Read(out);
        const Bytes errBytes = Read(err);
        o.out.assign(outBytes.begin(), outBytes.end());
        o.err.assign(errBytes.begin(), errBytes.end());
        return o;
    }

    // What the viewer exports for a fresh start with these settings.
    static Bytes Expected(const Bytes& data, std::int32_t depth, std::int32_t order,
                          std::int64_t width, std::int64_t height, std::int32_t palette,
                          std::int64_t offset = 0) {
        DibImage image;
        image.settings.gColBit = depth;
        image.settings.gArray256 = image.settings.gArray16 = image.settings.gArray2 = order;
        image.settings.gPicWidth = width;
        image.settings.gPicHeight = height;
        BuildPalette(image, palette, depth, image.bmiColors);
        EXPECT_EQ(DecodePixels(image, data, offset), DecodeStatus::Ok);
        return BmpFileBytes(image);
    }

    fs::path dir_;
};

Bytes Sample(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 37 + (i >> 3));
    return b;
}

TEST_F(RenderTest, WritesTheViewersExportBesideTheInputByDefault) {
    const Bytes data = Sample(1000);
    const fs::path in = File("a.bin", data);
    const Outcome o = Run("'" + in.string() + "'");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(Read(dir_ / "a.bin.bmp"), Expected(data, 0, 0, 128, 8, 0));

    const fs::path small = File("small.bin", Sample(5));
    ASSERT_EQ(Run("'" + small.string() + "'").status, 0);
    EXPECT_EQ(Read(dir_ / "small.bin.bmp"), Expected(Sample(5), 0, 0, 5, 1, 0));
}

TEST_F(RenderTest, EveryDepthAndOrderWithOffsetsAndPalettes) {
    const Bytes data = Sample(333);
    const fs::path in = File("d.bin", data);
    const char* depths[] = {"256", "16", "2"};
    const char* palettes[] = {"grey", "thermo", "binary"};
    for (std::int32_t depth = 0; depth < 3; ++depth) {
        for (std::int32_t order = 0; order < OrderCount(depth); ++order) {
            const std::int64_t width = 37 + order;
            const std::int64_t offset = order == 1 ? -13 : order * 5;
            const std::int64_t pixels = 333 * PixelsPerByte(depth);
            const std::int64_t height = (pixels + width - 1) / width;
            const std::int32_t palette = (depth + order) % 3;
            const fs::path out = dir_ / "o.bmp";
            const Outcome o =
                Run("--depth " + std::string(depths[depth]) + " --order " + std::to_string(order) +
                    " --width " + std::to_string(width) + " --offset " + std::to_string(offset) +
                    " --palette " + palettes[palette] + " -o '" + out.string() + "' '" +
                    in.string() + "'");
            ASSERT_EQ(o.status, 0) << o.err;
            EXPECT_EQ(Read(out), Expected(data, depth, order, width, height, palette, offset))
                << "depth " << depth << " order " << order;
        }
    }
}

TEST_F(RenderTest, WritesToStandardOutputAndAsPng) {
    const Bytes data = Sample(100);
    const fs::path in = File("p.bin", data);
    const Outcome o = Run("--depth 16 --width 30 -o - '" + in.string() + "'");
    ASSERT_EQ(o.status, 0) << o.err;
    const Bytes bmp = Expected(data, 1, 0, 30, 7, 0);
    EXPECT_EQ(Bytes(o.out.begin(), o.out.end()), bmp);

    const fs::path png = dir_ / "p.PNG";
    ASSERT_EQ(Run("--depth 16 --width 30 -o '" + png.string() + "' '" + in.string() + "'").status,
              0);
    const QImage fromPng(QString::fromStdString(png.string()), "png");
    const QImage fromBmp = QImage::fromData(bmp.data(), static_cast<int>(bmp.size()), "bmp");
    ASSERT_EQ(fromPng.size(), QSize(30, 7));
    EXPECT_EQ(fromPng.format(), QImage::Format_Indexed8);
    EXPECT_EQ(fromPng, fromBmp);  // the pixels and every palette entry
}

TEST_F(RenderTest, RefusesBadFilesAndSettingsWithOneLine) {
    const fs::path in = File("r.bin", Sample(100));
    const fs::path empty = File("empty.bin", {});
    const fs::path sparse = dir_ / "sparse.bin";
    { std::ofstream touch(sparse); }
    fs::resize_file(sparse, 0x7F000000);
    const fs::path tall = dir_ / "tall.bin";  // 2.4 billion pixels at 2 colours
    { std::ofstream touch(tall); }
    fs::resize_file(tall, 300'000'000);
    const std::string f = " '" + in.string() + "'";
    const std::pair<std::string, std::string> cases[] = {
        {"'" + dir_.string() + "'", ": is a folder"},
        {"'" + empty.string() + "'", ": is empty"},
        {"'" + sparse.string() + "'", ": is too large (2130706432 bytes)"},
        {"'" + (dir_ / "missing").string() + "'", ": cannot be read: No such file or directory"},
        {"--frobnicate" + f, "unknown option '--frobnicate'"},
        {"--depth 3" + f, "unknown depth '3'"},
        {"--depth 2 --order 2" + f, "order 2 is not one of the orders of 2 colours"},
        {"--width 0" + f, "width 0 is out of range: 1 to 100"},
        {"--width 101" + f, "width 101 is out of range: 1 to 100"},
        {"--depth 2 --width 801" + f, "width 801 is out of range: 1 to 800"},
        {"--offset 2130706431" + f, "offset 2130706431 is out of range"},
        {"-o '" + (dir_ / "no" / "x.bmp").string() + "'" + f, "No such file or directory"},
        {"-o '" + (dir_ / "no" / "x.png").string() + "'" + f, "No such file or directory"},
        {"--depth 2 --width 1 -o x.png '" + tall.string() + "'",
         "2400000000 pixels is too large for a PNG file"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome o = Run(args);
        EXPECT_NE(o.status, 0) << args;
        EXPECT_NE(o.err.find(message), std::string::npos) << args << " said: " << o.err;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
        EXPECT_EQ(o.err.rfind("rastel-render: ", 0), 0u) << o.err;
    }
    EXPECT_FALSE(fs::exists(dir_ / "r.bin.bmp"));
    EXPECT_EQ(Run("--depth 2 --width 800" + f).status, 0);
}

TEST_F(RenderTest, SuggestsWidthsOnePerLineInsteadOfAPicture) {
    Bytes table(37 * 500);  // records of 37 bytes, each with its number first
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::uint8_t>(i % 37 == 0 ? i / 37 : i % 37 * 5);
    const fs::path in = File("t.bin", table);
    const Outcome o = Run("--depth 16 --suggest-width '" + in.string() + "'");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.substr(0, 6), "74 0.9");  // 37 bytes of 2 pixels, a score near 1
    EXPECT_FALSE(fs::exists(in.string() + ".bmp"));
}

TEST_F(RenderTest, HelpDescribesTheOptions) {
    const Outcome o = Run("--help");
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("--palette NAME"), std::string::npos);
}

}  // namespace
}  // namespace rastel::cli
