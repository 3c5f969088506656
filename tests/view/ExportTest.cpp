// The picture leaving the program: the BMP and PNG export, whole or not at all, and the
// clipboard.
#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <cerrno>

#include "image/files/BmpFile.h"
#include "image/pixels/FormatDecoder.h"
#include "toolkit/FileNames.h"
#include "view/MainViewFixture.h"

namespace rastel::testing {
namespace {

TEST_F(MainViewTest, ExportWritesThePictureAtItsOwnSizeBesideTheSource) {
    look = {.width = 5, .height = 2, .magX = 4, .palette = modBITMAPinfo::kPalThermo};
    // A name that is not UTF-8 keeps its bytes on the way to the export's name.
    const QString source = WriteFile("bad\xFF\xFE.bin", Pattern(10));
    const QByteArray name = toolkit::EncodeName(source);
    OpenThroughMenu(source);
    EXPECT_EQ(gDib.settings.gFileName, name.toStdString());
    EXPECT_EQ(window->windowTitle(), "Rastel - " + QString::fromUtf8(name));  // as it can
    SaveThroughMenu(source + ".bmp");                                         // as proposed
    const auto& request = dialogs.files.back();
    EXPECT_EQ(std::tuple(request.save, request.overwritePrompt, request.fileName,
                         request.defaultExtension, request.filter),
              std::tuple(true, true, source + ".bmp", QString(".bmp"),
                         QString("ビットマップファイル(*.bmp)|*.bmp|PNG ファイル(*.png)|*.png")));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(gDib.bmiHeader.biWidth, 5);  // not magnified
    const auto bmp = ReadAll(source + ".bmp");
    EXPECT_EQ(bmp, core::BmpFileBytes(gDib));
    // A name ending in ".png", in any case, gets the same pixels and palette as a PNG.
    SaveThroughMenu(dir.filePath("out.PNG"));
    const QImage png(dir.filePath("out.PNG"), "png");
    EXPECT_EQ(png.format(), QImage::Format_Indexed8);
    EXPECT_EQ(png, QImage::fromData(bmp.data(), static_cast<int>(bmp.size()), "bmp"));
    ::unlink(name.constData());  // QTemporaryDir cannot name them to remove them
    ::unlink((name + ".bmp").constData());
}

// A write that fails says so with the system's number for its reason and leaves the file that
// was there, and nothing else, behind: for a picture held whole and for one streamed from the
// file's bytes. Cancelling says nothing: see the loading test.
TEST_F(LoadedTest, AFailedExportSaysSoAndKeepsTheFileThatWasThere) {
    QDir(dir.path()).mkdir("folder.bmp");
    const QString old = WriteFile("old.bmp", std::vector<std::uint8_t>(4000, 0xEE));
    struct Case {
        const char* what;
        QString target;
        int error;
        const char* step;  // the seam fails the nth step of this kind
        int nth;
    };
    for (const Case& c : {Case{"missing folder", dir.filePath("missing/out.bmp"), ENOENT, "", 0},
                          {"target is a folder", dir.filePath("folder.bmp"), EISDIR, "", 0},
                          {"full disk", old, ENOSPC, "write", 2},
                          {"read-only disk", old, EROFS, "create", 1},
                          {"no memory", dir.filePath("out.png"), ENOMEM, "memory", 1}}) {
        for (const std::int64_t budget : {std::int64_t{1} << 40, std::int64_t{100}}) {
            SCOPED_TRACE(std::string(c.what) + (budget == 100 ? ", streamed" : ", held"));
            window->SetPictureBudget(budget);
            OpenThroughMenu(first);
            int steps = 0;
            core::SetWriteFaults([&](const char* step) {
                return std::string(step) == c.step && ++steps == c.nth ? c.error : 0;
            });
            const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
            SaveThroughMenu(c.target);
            core::SetWriteFaults(nullptr);
            ExpectBox(dialogs, {"ファイルの書き込みに失敗しました",
                                QStringLiteral("エラー (%1)").arg(c.error), MsgIcon::Critical});
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
            EXPECT_EQ(ReadAll(old), std::vector<std::uint8_t>(4000, 0xEE));
        }
    }
}

// Wider than a BMP can describe: shown, and refused for a BMP or the clipboard before anything
// is written.
TEST_F(LoadedTest, APictureTooLargeForABmpOrTheClipboardSaysSo) {
    look = {.width = 0x7FFFFFFF, .height = 2};
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(Picture()->Width(), 0x7FFFFFFF);
    SaveThroughMenu(dir.filePath("out.bmp"));
    ExpectBox(dialogs,
              {"画像が大きすぎるためBMPファイルに書き出せません", "rastel", MsgIcon::Exclamation});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"first"});
    Action("fMnuEDITcapture")->trigger();
    ExpectBox(dialogs, {"画像が大きすぎるためクリップボードにコピーできません", "rastel",
                        MsgIcon::Exclamation});
}

// A picture in a direct format is written in its colours from the file's bytes, at its offset
// in bytes; and refused where a 32-bit BMP cannot describe it, though one of indices could.
TEST_F(LoadedTest, ExportWritesADirectFormatInItsColours) {
    const core::FormatLayout l{core::FindFormat("bgra"), 9, 28, 5, 0};
    auto& s = gDib.settings;
    s.gFormat = l.format;
    s.gPicWidth = l.width;
    s.gPicHeight = l.height;
    s.gUseOffset = true;
    s.gOffA = l.offset;
    SaveThroughMenu(dir.filePath("c.bmp"));
    EXPECT_TRUE(dialogs.messages.empty());
    const QImage bmp(dir.filePath("c.bmp"), "bmp");
    ASSERT_EQ(bmp.size(), QSize(9, 28));
    for (int y = 0; y < 28; ++y) {
        for (int x = 0; x < 9; ++x) {
            ASSERT_EQ(bmp.pixel(x, y), core::FormatPixelAt(l, gRawData, x, y).value)
                << x << "," << y;
        }
    }
    s.gPicWidth = 4;
    s.gPicHeight = 300'000'000;  // 16 bytes a row: more than 4 GiB
    SaveThroughMenu(dir.filePath("big.bmp"));
    ExpectBox(dialogs,
              {"画像が大きすぎるためBMPファイルに書き出せません", "rastel", MsgIcon::Exclamation});
}

TEST_F(MainViewTest, CaptureCopiesThePictureAsDrawn) {
    look = {.magX = 3, .magY = 2, .palette = modBITMAPinfo::kPalThermo};
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    QGuiApplication::clipboard()->setText("old");
    Action("fMnuEDITcapture")->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(384, 16));
    for (const auto& [x, y] : {std::pair{0, 0}, {383, 1}, {200, 13}, {4, 15}}) {
        const std::size_t at = (y / 2) * 128 + x / 3;  // past the file: pixel 0
        const auto& e = gDib.bmiColors[at < 1000 ? Pattern(1000)[at] : 0];
        EXPECT_EQ(copied.pixel(x, y) & 0xFFFFFF, qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue) & 0xFFFFFF);
    }
}

}  // namespace
}  // namespace rastel::testing
