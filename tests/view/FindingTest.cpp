// Finding one's way in the file: the pointer readout, going to a byte, suggested widths, the
// pictures found inside it.
#include <QLabel>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <condition_variable>
#include <random>

#include "image/pixels/PixelFormat.h"
#include "view/MainViewFixture.h"
#include "view/frmPictures.h"
#include "view/OverviewStrip.h"

namespace rastel::testing {
namespace {

TEST_F(MainViewTest, TheStatusBarNamesTheByteAndBitsUnderThePointer) {
    struct Case {
        std::int32_t depth, order;
        std::int64_t width, offset;
        int x, y;
        const char* text;
        int format = 0;
        std::int64_t stride = 0;
    };
    const Case cases[] = {
        {1, 1, 10, -3, 1, 4, "X: 1  Y: 4  位置: 0x13 (19)  下位4ビット  値: 0x5 (5)"},
        {1, 1, 10, -3, 2, 4, "X: 2  Y: 4  位置: 0x13 (19)  上位4ビット  値: 0x8 (8)"},
        {1, 1, 10, -3, 0, 0, "X: 0  Y: 0  ファイルの範囲外 (先頭より前)"},
        {1, 1, 10, -3, 9, 4, "X: 9  Y: 4  ファイルの範囲外 (末尾より後)"},
        {0, 2, 8, 0, 0, 0, "X: 0  Y: 0  位置: 0x3 (3)  値: 0x15 (21)"},
        {2, 0, 16, 0, 6, 1, "X: 6  Y: 1  位置: 0x2 (2)  ビット1  値: 1"},
        {0, 0, 8, 0, 4, 2, "X: 4  Y: 2  ファイルの範囲外 (末尾より後)"},  // the first byte past
        // One pixel of each family of direct formats, its channels as stored.
        {0, 0, 3, 0, 1, 1, "X: 1  Y: 1  位置: 0xC (12)  R 84 G 91 B 98", 1},
        {0, 0, 2, 0, 0, 1, "X: 0  Y: 1  位置: 0x8 (8)  R 56 G 63 B 70 A 77", 5},
        {0, 0, 4, 0, 1, 1, "X: 1  Y: 1  位置: 0xC (12)  値 21595", 14, 10},    // gray16be
        {0, 0, 4, 0, 1, 1, "X: 1  Y: 1  位置: 0xA (10)  Y 70 U 63 V 77", 15},  // yuyv422
        {0, 0, 3, -3, 0, 0, "X: 0  Y: 0  ファイルの範囲外 (先頭より前)", 1},
        {0, 0, 3, 0, 1, 2, "X: 1  Y: 2  ファイルの範囲外 (末尾より後)", 1},
    };
    const QString path = WriteFile("a", Pattern(20));
    auto* status = window->findChild<QLabel*>("lblPOINTER");
    EXPECT_TRUE(window->findChild<QStatusBar*>("sbrSTATUS")->isVisible());
    for (const Case& c : cases) {
        look = {.width = c.width,
                .height = 10,
                .offset = c.offset,
                .stride = c.stride,
                .magX = 2,
                .magY = 3,
                .depth = c.depth,
                .order = c.order,
                .format = c.format};
        OpenThroughMenu(path);
        QTest::mouseMove(Picture(), QPoint(c.x * 2 + 1, c.y * 3 + 2));
        EXPECT_EQ(status->text(), c.text);
    }
    QTest::mouseMove(Viewport(), QPoint(Picture()->Left() + Picture()->Width(), 5));
    EXPECT_TRUE(status->text().isEmpty());  // just right of the picture
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Viewport(), &leave);
    EXPECT_TRUE(status->text().isEmpty());

    Action("fMnuVIEWstatus")->trigger();
    EXPECT_FALSE(window->findChild<QStatusBar*>("sbrSTATUS")->isVisible());
}

TEST_F(MainViewTest, GoingToAByteScrollsItsFirstPixelToTheCorner) {
    look = {.width = 700,
            .offset = 7,
            .magX = 2,
            .magY = 3,
            .depth = modBITMAPinfo::kDepth16,
            .order = 2};
    OpenThroughMenu(WriteFile("a", Pattern(300000)));
    GoTo({"abc", "300000", "1", "0x1234"});
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0].text,
              "バイト位置は10進数か、0x を付けた16進数で入力してください");
    EXPECT_EQ(dialogs.messages[1].text,
              "バイト位置は 0 から 299999 (0x493DF) までで入力してください");
    // Byte 1 lies before the offset's start.
    EXPECT_EQ(dialogs.messages[2].text, "バイト位置 1 (0x1) は今の画像に含まれていません");
    QTest::mouseMove(Picture(), QPoint(1, 1));
    EXPECT_TRUE(window->findChild<QLabel*>("lblPOINTER")
                    ->text()
                    .contains("位置: 0x1234 (4660)  下位4ビット"));

    // The last byte cannot come to the top: the picture's end stops it.
    GoTo({"299999"});
    EXPECT_EQ(VBar()->value(), VBar()->Max());

    // In a direct format, the pixel that holds the byte, whichever of its bytes was typed:
    // 0x1235 is the third byte of row 2's pixel 150, past the offset and a stride.
    look = {.width = 700, .offset = 7, .stride = 2101, .format = 1};
    Action("fMnuEDIToption")->trigger();
    GoTo({"0x1235"});
    QTest::mouseMove(Picture(), QPoint(1, 1));
    EXPECT_TRUE(window->findChild<QLabel*>("lblPOINTER")->text().contains("位置: 0x1233 (4659)"));
    // The offset switched off and kept: the byte a row further on is a pixel's first now.
    look.useOffset = false;
    Action("fMnuEDIToption")->trigger();
    GoTo({"6762"});
    QTest::mouseMove(Picture(), QPoint(1, 1));
    EXPECT_TRUE(window->findChild<QLabel*>("lblPOINTER")->text().contains("位置: 0x1A6A (6762)"));
}

TEST_F(MainViewTest, ASuggestedWidthIsAppliedAsTheSettingsDialogWouldOnEnterOnly) {
    std::vector<std::uint8_t> records(37 * 2000);  // a counter, then the same 35 bytes
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i] = static_cast<std::uint8_t>(i % 37 < 2 ? i / 37 >> (8 * (i % 37)) : i % 37 * 5);
    }
    look.magX = 2;
    OpenThroughMenu(WriteFile("records", records));
    auto expected = gDib.settings;
    {
        WhenModal<QDialog> user([](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        Action("fMnuVIEWwidth")->trigger();
    }
    EXPECT_EQ(gDib.settings, expected);

    {
        WhenModal<QDialog> user(
            [](QDialog* dialog) { QTest::keyClick(dialog->focusWidget(), Qt::Key_Return); });
        Action("fMnuVIEWwidth")->trigger();
    }
    expected.gPicWidth = 37;
    expected.gPicHeight = 2000;
    EXPECT_EQ(gDib.settings, expected);
    EXPECT_EQ(Picture()->Width(), 74);

    // 16-bit samples: the row in samples too.
    OpenThroughMenu(QString::fromStdString((std::filesystem::path(__FILE__).parent_path() /
                                            "../image/search/widths/s16le-camera-211.raw")
                                               .string()));
    QString first;
    {
        WhenModal<QDialog> user([&first](QDialog* dialog) {
            first = dialog->findChild<QListWidget*>("lstWIDTH")->item(0)->text();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Action("fMnuVIEWwidth")->trigger();
    }
    EXPECT_TRUE(first.startsWith("   422 ピクセル (2 バイト × 211)  一致度 "))
        << first.toStdString();

    // Data without rows: said so, and nothing changes.
    OpenThroughMenu(WriteFile("zeros", std::vector<std::uint8_t>(5000, 0)));
    Action("fMnuVIEWwidth")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "データから幅の候補が見つかりませんでした");

    // In a direct format: widths in its pixels, each line naming it; Enter packs the rows.
    std::vector<std::uint8_t> rgb(300 * 200);  // 100 pixels a row
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        const std::size_t x = i % 300 / 3, y = i / 300;
        rgb[i] = static_cast<std::uint8_t>(i % 3 == 0 ? x * 2 : i % 3 == 1 ? y : x * x / 40);
    }
    look = {.width = 128, .stride = 400, .format = 1};
    OpenThroughMenu(WriteFile("rgb", rgb));
    {
        WhenModal<QDialog> user([&first](QDialog* dialog) {
            first = dialog->findChild<QListWidget*>("lstWIDTH")->item(0)->text();
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        });
        Action("fMnuVIEWwidth")->trigger();
    }
    EXPECT_TRUE(first.startsWith("   100 ピクセル") && first.contains("  RGB 24ビット  一致度 "))
        << first.toStdString();
    const auto& s = gDib.settings;
    EXPECT_EQ(std::tuple(s.gFormat, s.gPicWidth, s.gPicHeight, s.gStride),
              std::tuple(core::ChosenFormat(1), 100, 200, 0));
}

// The strip: zeros, text and random bytes, a third of the file each, top to bottom.
TEST_F(MainViewTest, TheOverviewStripShowsTheWholeFileAndGoesWhereClicked) {
    std::vector<std::uint8_t> bytes(300000);
    std::mt19937 rng(7);
    for (std::size_t i = 100000; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i < 200000 ? "Rastel text\n"[i % 12] : rng());
    }
    look = {.width = 100, .magY = 2};
    auto* strip = window->findChild<OverviewStrip*>("picSTRIP");
    auto* status = window->findChild<QLabel*>("lblPOINTER");
    // The overview comes on a thread of its own, held here after a whole first piece until it is
    // stopped, so that the clear comes while it reads: it stops, and lets go of the file's bytes.
    window->SetOverviewStep([](std::int64_t fed, std::stop_token stop) {
        std::mutex mutex;
        std::unique_lock lock(mutex);
        std::condition_variable_any().wait(lock, stop,
                                           [fed] { return fed != core::OverviewWork::kPiece; });
    });
    OpenThroughMenu(WriteFile("large", Pattern(3 << 20)));
    const std::weak_ptr<const modBITMAPinfo::RawBytes> largeBytes = gRawData.shared();
    dialogs.messageAnswers = {MsgResult::Ok};
    Action("fMnuFILEclose")->trigger();
    EXPECT_TRUE(largeBytes.expired());
    OpenThroughMenu(WriteFile("thirds", bytes));  // one piece
    ASSERT_TRUE(QTest::qWaitFor([&] { return strip->Shown().size() == 300000; }, 20000));
    ASSERT_EQ(strip->height(), 315);
    EXPECT_EQ(strip->FrameRows(), std::pair(0, 16));  // rows 0 to 156 of 3000, bytes 0 to 15699
    GoTo({"150000"});
    EXPECT_EQ(strip->FrameRows().first, 157);
    for (const auto& [y, kind] : {std::pair{5, "種類: ゼロ  エントロピー: 0.00"},
                                  {150, "種類: テキスト"},
                                  {250, "種類: ランダム"}}) {
        QTest::mouseMove(strip, QPoint(5, y));
        EXPECT_TRUE(status->text().startsWith(kind)) << status->text().toStdString();
    }
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(5, 210));  // byte 200000: row 2000
    EXPECT_EQ(VBar()->value(), 2000 * 2);
    EXPECT_EQ(strip->FrameRows().first, 210);

    // In a direct format its rows of bytes: byte 200000 is in row 666 in RGB.
    look = {.width = 100, .format = 1};
    Action("fMnuEDIToption")->trigger();
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(5, 210));
    EXPECT_EQ(VBar()->value(), 666 * 2);
    EXPECT_EQ(strip->FrameRows().first, 209);  // from row 666's first byte, 199800

    Action("fMnuVIEWstrip")->trigger();  // the client area takes the strip's room
    EXPECT_EQ(window->findChild<QWidget*>("mClient")->width(), 380 + OverviewStrip::kWidth);
    Action("fMnuVIEWstrip")->trigger();
    EXPECT_EQ(window->findChild<QWidget*>("mClient")->width(), 380);
}

// An icon's BGRA rows and a photograph's bytes of grey among code and text: marked on the
// strip once found, listed, and one Enter away, each whatever depth, order or format was shown
// before (the photograph's bytes as palette indices at 256 colours, in stored order); Escape
// changes nothing. 書き出す writes the lines selected into a folder, named as the renderer
// names them, and says so when it cannot.
TEST_F(MainViewTest, APictureFoundInsideTheFileIsShownFromItsTopLeftOnEnterOnly) {
    using modBITMAPinfo::kDepth256;
    const auto file = std::filesystem::path(__FILE__).parent_path() /
                      "../image/search/pictures/two-bgra-icon-256-grey-coins-200.bin";
    look = {.width = 64, .magX = 4, .magY = 4};
    OpenThroughMenu(QString::fromStdString(file.string()));
    auto* strip = window->findChild<OverviewStrip*>("picSTRIP");
    ASSERT_TRUE(QTest::qWaitFor([&] { return strip->Marks().size() == 2; }, 60000));
    EXPECT_LT(std::abs(strip->Marks()[0].begin - 6001), 256);

    const auto expected = gDib.settings;
    QString first;
    {
        WhenModal<QDialog> user([&](QDialog* dialog) {
            auto* list = dialog->findChild<QListWidget*>("lstPICTURE");
            first = list->item(0)->text();
            list->selectAll();
            dialogs.fileAnswers = {dir.path(), dir.filePath("none")};
            for (int i = 0; i < 2; ++i) {
                QTest::mouseClick(dialog->findChild<QPushButton*>("cmdEXTRACT"), Qt::LeftButton);
            }
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Action("fMnuVIEWpictures")->trigger();
    }
    EXPECT_EQ(gDib.settings, expected);
    EXPECT_EQ(std::pair(QImage(dir.filePath("0x00001771-64x64-bgra.png")).size(),
                        QImage(dir.filePath("0x000072cc-200x90-pal8.png")).size()),
              std::pair(QSize(64, 64), QSize(200, 90)));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "ファイルの書き込みに失敗しました");
    EXPECT_TRUE(first.contains("  64 × 64  BGRA 32ビット  一致度 ")) << first.toStdString();
    // A table is named by its records.
    EXPECT_EQ(frmPictures::Line({.start = 0x138b,
                                 .length = 32768,
                                 .rowBytes = 16,
                                 .width = 16,
                                 .score = 0.92,
                                 .table = true}),
              "0x0000138B  表 16 バイト × 2048 行  一致度 92%");
    // A frame of planes by its own rows, not its bytes over a row's.
    EXPECT_EQ(frmPictures::Line({.start = 0x1b59,
                                 .length = 36864,
                                 .rowBytes = 256,
                                 .format = core::FindFormat("yuv420p"),
                                 .width = 256,
                                 .score = 0.82}),
              "0x00001B59  256 × 96  YUV420P プレーナー  一致度 82%");
    const core::PixelFormat* bgra = core::FindFormat("bgra");
    struct Case {
        Look before;
        int row;  // of the list, best first
        const core::PixelFormat* format;
        std::int64_t start, width;
    };
    for (const auto& [before, row, format, start, width] :
         {Case{{.depth = modBITMAPinfo::kDepth2}, 1, nullptr, 29388, 200},
          {{.depth = kDepth256, .order = 2}, 1, nullptr, 29388, 200},  // in stored order
          {{.width = 100, .stride = 500, .format = 1}, 1, nullptr, 29388, 200},
          {{.depth = modBITMAPinfo::kDepth16}, 0, bgra, 6001, 64}}) {  // the stride left over
        SCOPED_TRACE(row);
        look = before;
        Action("fMnuEDIToption")->trigger();
        HBar()->setValue(HBar()->Max());
        VBar()->setValue(VBar()->Max());
        WhenModal<QDialog> user([row](QDialog* dialog) {
            dialog->findChild<QListWidget*>("lstPICTURE")->setCurrentRow(row);
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        });
        Action("fMnuVIEWpictures")->trigger();
        const auto& s = gDib.settings;
        EXPECT_EQ(std::tuple(s.gFormat, s.gPicWidth, s.gUseOffset),
                  std::tuple(format, width, true));
        EXPECT_LT(std::abs(s.gOffA - start), width * (format ? format->bytes : 1));
        if (format) {
            EXPECT_EQ(
                std::pair(s.gStride, s.gPicHeight),
                std::pair(std::int64_t{0}, core::FormatHeight(*format, s.gFileSize, width, 0)));
        } else {
            EXPECT_EQ(std::tuple(s.gColBit, s.gArray256, s.gPicHeight),
                      std::tuple(std::int32_t{kDepth256}, 0,
                                 modBITMAPinfo::HeightForWidth(s.gFileSize, width)));
        }
        EXPECT_EQ(std::pair(HBar()->isHidden() ? 0 : HBar()->value(), VBar()->value()),
                  std::pair(0, 0));
    }
}

}  // namespace
}  // namespace rastel::testing
