// Finding one's way in the file: the pointer readout, going to a byte, suggested widths.
#include <QLabel>
#include <QStatusBar>

#include "view/MainViewFixture.h"

namespace rastel::testing {
namespace {

TEST_F(MainViewTest, TheStatusBarNamesTheByteAndBitsUnderThePointer) {
    struct Case {
        std::int32_t depth, order;
        std::int64_t width, offset;
        int x, y;
        const char* text;
    };
    const Case cases[] = {
        {1, 1, 10, -3, 1, 4, "X: 1  Y: 4  位置: 0x13 (19)  下位4ビット  値: 0x5 (5)"},
        {1, 1, 10, -3, 2, 4, "X: 2  Y: 4  位置: 0x13 (19)  上位4ビット  値: 0x8 (8)"},
        {1, 1, 10, -3, 0, 0, "X: 0  Y: 0  ファイルの範囲外 (先頭より前)"},
        {1, 1, 10, -3, 9, 4, "X: 9  Y: 4  ファイルの範囲外 (末尾より後)"},
        {0, 2, 8, 0, 0, 0, "X: 0  Y: 0  位置: 0x3 (3)  値: 0x15 (21)"},
        {2, 0, 16, 0, 6, 1, "X: 6  Y: 1  位置: 0x2 (2)  ビット1  値: 1"},
        {0, 0, 8, 0, 4, 2, "X: 4  Y: 2  ファイルの範囲外 (末尾より後)"},  // the first byte past
    };
    const QString path = WriteFile("a", Pattern(20));
    auto* status = window->findChild<QLabel*>("lblPOINTER");
    EXPECT_TRUE(window->findChild<QStatusBar*>("sbrSTATUS")->isVisible());
    for (const Case& c : cases) {
        look = {.width = c.width,
                .height = 10,
                .offset = c.offset,
                .magX = 2,
                .magY = 3,
                .depth = c.depth,
                .order = c.order};
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
            .height = 858,
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

    // Data without rows: said so, and nothing changes.
    OpenThroughMenu(WriteFile("zeros", std::vector<std::uint8_t>(5000, 0)));
    Action("fMnuVIEWwidth")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "データから幅の候補が見つかりませんでした");
}

}  // namespace
}  // namespace rastel::testing
