#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "toolkit/DeferredTimer.h"

#include "image/BmpFile.h"
#include "view/MainViewFixture.h"

namespace rastel::testing {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

TEST_F(MainViewTest, ExportWritesTheRecordAtThePicturesOwnSize) {
    edit = [](auto& s) {
        s.gPicWidth = 5;
        s.gPicHeight = 2;
        s.gMagX = 4;
        s.gMagY = 4;
    };
    const QString source = WriteFile("a.bin", Pattern(10));
    OpenThroughMenu(source);
    // An existing longer file is replaced whole.
    const QString target = WriteFile("out.bmp", std::vector<std::uint8_t>(5000, 0xEE));
    dialogs.fileAnswers.push_back(target);
    Action("fMnuFILEsave")->trigger();

    const auto& request = dialogs.files.back();
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.defaultExtension, ".bmp");
    EXPECT_EQ(request.filter, "ビットマップファイル(*.bmp)|*.bmp|PNG ファイル(*.png)|*.png");
    EXPECT_TRUE(request.overwritePrompt);
    EXPECT_TRUE(dialogs.messages.empty());

    const auto bytes = ReadAll(target);
    ASSERT_EQ(bytes.size(), 1095u);
    EXPECT_EQ(bytes, modBITMAPinfo::BmpFileBytes(gDib));
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(U32(bytes, 2), 1095u);
    EXPECT_EQ(U32(bytes, 10), 1078u);
    EXPECT_EQ(U32(bytes, 18), 5u);  // not magnified
    EXPECT_EQ(U32(bytes, 22), 2u);
    const auto data = Pattern(10);
    EXPECT_EQ(bytes[1078], data[5]);  // the bottom row first
    EXPECT_EQ(bytes[1078 + 8], data[0]);

    // A name ending in ".png", in any case, gets the same pixels and palette as a PNG.
    dialogs.fileAnswers.push_back(dir.filePath("out.PNG"));
    Action("fMnuFILEsave")->trigger();
    const QImage png(dir.filePath("out.PNG"), "png");
    EXPECT_EQ(png.format(), QImage::Format_Indexed8);
    EXPECT_EQ(png, QImage::fromData(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<qsizetype>(bytes.size())),
                                    "bmp"));
}

// Whichever way the shown file came, the export proposes its name in its folder, and the open
// dialog goes on proposing the file last chosen in it. Cancelled dialogs write nothing.
TEST_F(MainViewTest, ExportProposesTheShownFilesNameWhicheverWayItCame) {
    const QString a = WriteFile("a.bin", Pattern(100));
    const QString b = WriteFile("b", Pattern(200));
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(b)});
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    // After each route: the file shown, and what the open dialog proposes.
    auto expect = [&](const char* route, const QString& shown, const QString& reopened) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == "Rastel - " + shown; }))
            << route;
        Action("fMnuFILEsave")->trigger();
        EXPECT_EQ(dialogs.files.back().fileName, shown + ".bmp") << route;
        Action("fMnuFILEload")->trigger();
        EXPECT_EQ(dialogs.files.back().fileName, reopened) << route;
    };
    modSTARTUP::gCommandLine = b;
    window->findChild<toolkit::DeferredTimer*>("timDragDrop")->SetEnabled(true);
    expect("command line", b, "");
    OpenThroughMenu(a);
    expect("open dialog", a, a);
    QApplication::sendEvent(Viewport(), &enter);
    QApplication::sendEvent(Viewport(), &drop);
    expect("drop", b, a);
    answer = false;
    OpenThroughMenu(a);
    expect("settings cancelled", b, a);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(MainViewTest, AFailedWriteIsReportedWithTheSystemsNumber) {
    OpenThroughMenu(WriteFile("a", Pattern(100)));
    dialogs.fileAnswers.push_back(dir.filePath("no-such-folder/out.bmp"));
    Action("fMnuFILEsave")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "ファイルの書き込みに失敗しました");
    EXPECT_EQ(dialogs.messages[0].title, "エラー (2)");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Critical);
}

TEST_F(MainViewTest, CaptureCopiesThePictureAsDrawn) {
    edit = [](auto& s) {
        s.gMagX = 3;
        s.gMagY = 2;
        s.gPalColor = modBITMAPinfo::kPalThermo;
    };
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    QGuiApplication::clipboard()->setText("old");
    Action("fMnuEDITcapture")->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(384, 16));
    const auto bytes = Pattern(1000);
    for (int y = 0; y < 16; y += 3) {
        for (int x = 0; x < 384; x += 7) {
            const std::size_t at = (y / 2) * 128 + x / 3;
            const auto& e = gDib.bmiColors[at < bytes.size() ? bytes[at] : 0];
            ASSERT_EQ(copied.pixel(x, y) & 0xFFFFFF,
                      qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue) & 0xFFFFFF);
        }
    }
}

TEST_F(MainViewTest, APictureTooLargeToCopySaysSo) {
    edit = [](auto& s) {
        s.gPicWidth = 1000;
        s.gPicHeight = 1;
        s.gMagX = 10000;
        s.gMagY = 100;
    };
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    ASSERT_EQ(Picture()->Width(), 10000000);
    Action("fMnuEDITcapture")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "画像が大きすぎるためクリップボードにコピーできません");
    EXPECT_EQ(dialogs.messages[0].title, "rastel");
}

}  // namespace
}  // namespace rastel::testing
