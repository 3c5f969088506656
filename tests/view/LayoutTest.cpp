#include "view/MainViewFixture.h"

namespace rastel::testing {
namespace {

TEST_F(MainViewTest, TheWindowStartsEmptyWithBothBarsHidden) {
    EXPECT_EQ(window->centralWidget()->size(), QSize(380, 315));
    EXPECT_FALSE(Picture()->Visible());
    EXPECT_EQ(Picture()->Left(), 2);
    EXPECT_EQ(Picture()->Top(), 2);
    EXPECT_EQ(Picture()->Width(), 1);
    EXPECT_TRUE(HBar()->isHidden());
    EXPECT_TRUE(VBar()->isHidden());
    EXPECT_TRUE(PictureMenusDisabled());
    EXPECT_TRUE(Action("fMnuFILEload")->isEnabled());
    EXPECT_TRUE(Action("fMnuEDITpaste")->isEnabled());
    EXPECT_EQ(Viewport()->size(), QSize(380, 315));
}

TEST_F(MainViewTest, ASmallPictureSitsAtTheMarginWithoutBars) {
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    EXPECT_EQ(Picture()->geometry(), QRect(2, 2, 128, 8));
    EXPECT_TRUE(HBar()->isHidden());
    EXPECT_TRUE(VBar()->isHidden());
}

TEST_F(MainViewTest, AWidePictureGetsTheHorizontalBarWithTheMarginRange) {
    edit = [](auto& s) {
        s.gPicWidth = 1000;
        s.gPicHeight = 1;
    };
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    ASSERT_FALSE(HBar()->isHidden());
    EXPECT_TRUE(VBar()->isHidden());
    const int vpW = Viewport()->width();
    EXPECT_EQ(vpW, 380);
    EXPECT_EQ(Viewport()->height(), 315 - 17);
    EXPECT_EQ(HBar()->geometry(), QRect(0, 315 - 17, 380, 17));
    EXPECT_EQ(HBar()->Min(), -2);
    EXPECT_EQ(HBar()->Max(), 6 + 1000 - vpW);
    EXPECT_TRUE(HBar()->isEnabled());
    HBar()->setValue(HBar()->Max());
    EXPECT_EQ(Picture()->Left() + Picture()->Width(), vpW - 6);  // the right edge in view
    HBar()->setValue(-2);
    EXPECT_EQ(Picture()->Left(), 2);
}

TEST_F(MainViewTest, ATallAndWidePictureGetsBothBarsBesideTheViewport) {
    edit = [](auto& s) {
        s.gPicWidth = 500;
        s.gPicHeight = 400;
    };
    OpenThroughMenu(WriteFile("a", Pattern(200000)));
    ASSERT_FALSE(HBar()->isHidden());
    // The vertical bar was hidden when the horizontal one was decided: one pass only.
    ASSERT_FALSE(VBar()->isHidden());
    EXPECT_EQ(Viewport()->size(), QSize(380 - 17, 315 - 17));
    EXPECT_EQ(VBar()->geometry(), QRect(380 - 17, 0, 17, 315 - 17));
    EXPECT_EQ(VBar()->Max(), 6 + 400 - (315 - 17));
    EXPECT_EQ(HBar()->Max(), 6 + 500 - (380 - 17));
}

TEST_F(MainViewTest, MagnificationDrawsEachPixelAsABlockWithTheFirstRowOnTop) {
    edit = [](auto& s) {
        s.gMagX = 3;
        s.gMagY = 2;
    };
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    EXPECT_EQ(Picture()->Width(), 384);
    EXPECT_EQ(Picture()->Height(), 16);
    const QImage shot = Viewport()->grab().toImage();
    const QImage drawn = Picture()->Drawn();
    ASSERT_EQ(drawn.size(), QSize(384, 16));
    const auto bytes = Pattern(1000);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 376; ++x) {  // the viewport shows 376 of the 384 columns
            const std::size_t at = (y / 2) * 128 + x / 3;  // past the file: pixel 0
            const std::uint8_t v = at < bytes.size() ? bytes[at] : 0;
            ASSERT_EQ(shot.pixel(2 + x, 2 + y), qRgb(v, v, v)) << x << "," << y;
            ASSERT_EQ(drawn.pixel(x, y), qRgb(v, v, v));
        }
    }
}

TEST_F(MainViewTest, TheOptionsCommandRedrawsOnOkOnly) {
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    answer = false;
    edit = [](auto& s) { s.gMagX = 2; };
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(Picture()->Width(), 128);

    answer = true;
    const QString caption = window->windowTitle();
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(Picture()->Width(), 256);
    EXPECT_EQ(window->windowTitle(), caption);
}

TEST_F(MainViewTest, SettingsThatGiveAnImpossiblePictureAreReportedAndUndone) {
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    const auto settings = gDib.settings;
    const auto bits = gDib.bits;
    edit = [](auto& s) {
        s.gPicWidth = 0;
        s.gPicHeight = 2;
    };
    Action("fMnuEDIToption")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "画像の幅と高さが正しくありません");
    EXPECT_EQ(gDib.settings, settings);
    EXPECT_EQ(gDib.bits, bits);
    EXPECT_EQ(Picture()->Width(), 128);
}

TEST_F(MainViewTest, ClickingThePictureGivesTheViewportTheKeys) {
    edit = [](auto& s) {
        s.gPicWidth = 1000;
        s.gPicHeight = 1;
    };
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    Viewport()->clearFocus();
    QTest::mouseClick(Picture(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 0));
    EXPECT_TRUE(Viewport()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(HBar()->value(), -1);
    EXPECT_EQ(Picture()->Left(), 1);
}

}  // namespace
}  // namespace rastel::testing
