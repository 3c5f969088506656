// Where the picture and the scroll bars go, how the keys and the wheel move the picture, and
// how the window closes.
#include <QWheelEvent>

#include "image/PixelDecoder.h"

#include "view/MainViewFixture.h"
#include "view/modAPIwheel.h"

namespace rastel::testing {
namespace {

// The layout's input: the window starts with a client area of 380 x 315.
TEST_F(MainViewTest, TheWindowStartsEmptyWithBothBarsHidden) {
    EXPECT_EQ(window->centralWidget()->size(), QSize(380, 315));
    EXPECT_FALSE(Picture()->Visible());
    EXPECT_EQ(Picture()->Left(), 2);
    EXPECT_EQ(Picture()->Top(), 2);
    EXPECT_TRUE(HBar()->isHidden());
    EXPECT_TRUE(VBar()->isHidden());
    EXPECT_EQ(PictureMenus(), false);
    EXPECT_TRUE(Action("fMnuFILEload")->isEnabled());
    EXPECT_TRUE(Action("fMnuEDITpaste")->isEnabled());
}

// Each bar's range runs from the margin before the picture to the picture's far edge three
// margins inside the viewport; the bars are decided in one pass.
TEST_F(MainViewTest, BarsAppearForWideAndTallPictures) {
    struct Case {
        std::int64_t width, height;
        bool h, v;
    };
    for (const Case c : {Case{1000, 1, true, false}, {500, 400, true, true}}) {
        edit = [c](auto& s) {
            s.gPicWidth = c.width;
            s.gPicHeight = c.height;
        };
        OpenThroughMenu(WriteFile("a", Pattern(200000)));
        ASSERT_EQ(HBar()->isHidden(), !c.h);
        ASSERT_EQ(VBar()->isHidden(), !c.v);
        const QRect vp = Viewport()->geometry();
        EXPECT_EQ(vp, QRect(0, 0, 380 - (c.v ? VBar()->width() : 0), 315 - HBar()->height()));
        EXPECT_EQ(HBar()->geometry(), QRect(0, vp.height(), vp.width(), HBar()->height()));
        EXPECT_EQ(HBar()->Min(), -2);
        EXPECT_EQ(HBar()->Max(), 6 + c.width - vp.width());
        if (c.v) {
            EXPECT_EQ(VBar()->geometry(), QRect(vp.width(), 0, VBar()->width(), vp.height()));
            EXPECT_EQ(VBar()->Max(), 6 + c.height - vp.height());
        }
        HBar()->setValue(HBar()->Max());
        EXPECT_EQ(Picture()->Left() + Picture()->Width(), vp.width() - 6);
        HBar()->setValue(-2);
        EXPECT_EQ(Picture()->Left(), 2);
    }
}

TEST_F(LoadedTest, TheOptionsCommandRedrawsOnOkOnlyAndUndoesAnImpossiblePicture) {
    answer = false;
    edit = [](auto& s) { s.gMagX = 2; };
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(Picture()->Width(), 128);
    answer = true;
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(Picture()->Width(), 256);
    EXPECT_EQ(window->windowTitle(), "Rastel - " + first);

    const State before = Now();
    edit = [](auto& s) {
        s.gPicWidth = 0;
        s.gPalColor = modBITMAPinfo::kPalBinary;
    };
    Action("fMnuEDIToption")->trigger();
    ExpectBox(dialogs, {"画像の幅と高さが正しくありません", "rastel", MsgIcon::Exclamation});
    EXPECT_EQ(Now(), before);
}

class KeysTest : public MainViewTest {
  protected:
    void SetUp() override {
        MainViewTest::SetUp();
        edit = [](auto& s) {
            s.gPicWidth = 1000;
            s.gPicHeight = 1000;
        };
        OpenThroughMenu(WriteFile("big", Pattern(1000000)));
        ASSERT_FALSE(VBar()->isHidden());
        ASSERT_FALSE(HBar()->isHidden());
    }
    void Wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = {}) {
        QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
};

TEST_F(KeysTest, EachModifierSetScrollsByItsStepAndStopsOnTheEnds) {
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier,
                                alt = Qt::AltModifier;
    for (const auto& [modifiers, step] : {std::pair{Qt::KeyboardModifiers{}, 1},
                                          {shift, 5},
                                          {ctrl, 20},
                                          {shift | ctrl, 100},
                                          {alt, 9},
                                          {shift | alt, 225}}) {
        VBar()->setValue(-2);
        QTest::keyClick(Viewport(), Qt::Key_Down, modifiers);
        EXPECT_EQ(VBar()->value(), -2 + step) << step;
        EXPECT_EQ(Picture()->Top(), 2 - step);
        QTest::keyClick(Viewport(), Qt::Key_Up, modifiers);
        EXPECT_EQ(VBar()->value(), -2);
    }
    QTest::keyClick(Viewport(), Qt::Key_Up);
    EXPECT_EQ(VBar()->value(), -2);
    QTest::keyClick(Viewport(), Qt::Key_Down, ctrl | alt);
    EXPECT_EQ(VBar()->value(), VBar()->Max());
    // Sideways with Ctrl takes the vertical bar's large step.
    QTest::keyClick(Viewport(), Qt::Key_Right, ctrl);
    EXPECT_EQ(HBar()->value(), 18);
    EXPECT_EQ(Picture()->Left(), -18);
    QTest::keyClick(Viewport(), Qt::Key_Left);
    EXPECT_EQ(HBar()->value(), 17);
    QTest::keyClick(Viewport(), Qt::Key_Home);
    EXPECT_EQ(VBar()->value(), -2);
    QTest::keyClick(Viewport(), Qt::Key_End, shift);
    EXPECT_EQ(VBar()->value(), VBar()->Max());
}

TEST_F(LoadedTest, HomeAndEndMoveAShortPictureThoughTheBarIsHidden) {
    QTest::mouseClick(Picture(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 0));
    EXPECT_TRUE(Viewport()->hasFocus());  // a click on the picture gives the viewport the keys
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(Picture()->Top(), 2);  // arrows need a visible bar
    QTest::keyClick(Viewport(), Qt::Key_End);
    EXPECT_EQ(VBar()->value(), 6 + 8 - Viewport()->height());
    EXPECT_EQ(Picture()->Top() + Picture()->Height(), Viewport()->height() - 6);
    QTest::keyClick(Viewport(), Qt::Key_Home);
    EXPECT_EQ(Picture()->Top(), 2);
}

TEST_F(KeysTest, EachWheelEventIsOneStepWhateverItsSizeAndWhereverItLands) {
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    struct Case {
        int delta;
        Qt::KeyboardModifiers modifiers;
        int move;
    };
    for (QWidget* target : {static_cast<QWidget*>(Viewport()), static_cast<QWidget*>(VBar()),
                            static_cast<QWidget*>(Picture())}) {
        for (const Case c : {Case{-120, {}, 1}, {-1200, shift | ctrl, 100}, {960, shift, -5}}) {
            VBar()->setValue(200);
            Wheel(target, c.delta, c.modifiers);
            EXPECT_EQ(VBar()->value(), 200 + c.move)
                << target->objectName().toStdString() << " " << c.delta;
        }
    }
}

TEST_F(KeysTest, ExitAsksAndCancelKeepsTheWindowAndTheWheel) {
    dialogs.messageAnswers = {MsgResult::Cancel};
    Action("fMnuFILEexit")->trigger();
    ExpectBox(dialogs,
              {"終了します", "確認", MsgIcon::Question, MsgButtons::OkCancel, MsgResult::Cancel});
    EXPECT_TRUE(window->isVisible());
    VBar()->setValue(10);
    Wheel(Viewport(), -120);
    EXPECT_EQ(VBar()->value(), 11);

    dialogs.messageAnswers = {MsgResult::Ok};
    Action("fMnuFILEexit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(modAPIwheel::gHookedWnd, nullptr);
}

// Shown from the file's bytes, a picture paints and exports as it would held whole, at every
// depth, magnified, from a negative offset, wherever it is scrolled to.
TEST_F(MainViewTest, APictureOverTheBudgetPaintsAndExportsAsAHeldOne) {
    window->resize(300, 200);
    const QString path = WriteFile("a.bin", Pattern(50000));
    const QString target = dir.filePath("out.bmp");
    for (const int depth : {0, 1, 2}) {
        edit = [depth](auto& s) {
            s.gColBit = depth;
            s.gArray16 = 2;
            s.gPicWidth = 333;
            s.gPicHeight = 50000 * modBITMAPinfo::PixelsPerByte(depth) / 333 + 1;
            s.gMagX = 3;
            s.gMagY = 2;
            s.gUseOffset = true;
            s.gOffA = -77;
        };
        std::vector<QImage> shown[2];
        std::vector<std::uint8_t> exported[2];
        for (const std::int64_t budget : {std::int64_t{1} << 40, std::int64_t{1000}}) {
            window->SetPictureBudget(budget);
            OpenThroughMenu(path);
            ASSERT_EQ(Picture()->Rows().FromRecord(), budget > 1000);
            for (const auto& [h, v] :
                 {std::pair{0, 0}, {500, 40}, {HBar()->maximum(), 1000}, {17, VBar()->maximum()}}) {
                HBar()->setValue(h);
                VBar()->setValue(v);
                shown[budget == 1000].push_back(Viewport()->grab().toImage());
                // A pixel in view, worked out from the file's bytes.
                const std::int64_t p =
                    (40 - Picture()->Top()) / 2 * 333 + (30 - Picture()->Left()) / 3 - 77;
                const auto& e = gDib.bmiColors[modBITMAPinfo::PixelAt(depth, depth == 1 ? 2 : 0,
                                                                      Pattern(50000), p)];
                EXPECT_EQ(shown[budget == 1000].back().pixel(30, 40),
                          qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue));
            }
            SaveThroughMenu(target);
            EXPECT_TRUE(dialogs.messages.empty());
            exported[budget == 1000] = ReadAll(target);
        }
        EXPECT_TRUE(gDib.bits.empty());  // the held pixels were given up
        EXPECT_EQ(shown[0], shown[1]) << depth;
        EXPECT_EQ(exported[0], exported[1]) << depth;
    }
}

TEST_F(MainViewTest, APictureTallerThanAScrollBarCountsCanStillBeScrolledToItsEnd) {
    // 2^33 rows of one pixel, eight screen pixels each: far beyond what a bar counts.
    edit = [](auto& s) {
        s.gColBit = modBITMAPinfo::kDepth2;
        s.gPicWidth = 1;
        s.gPicHeight = std::int64_t{1} << 33;
        s.gMagX = 8;
        s.gMagY = 8;
    };
    std::vector<std::uint8_t> bytes(1000, 0);
    bytes[999] = 0x01;  // the last pixel of the file is 1
    OpenThroughMenu(WriteFile("a", bytes));
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(Picture()->Height(), std::int64_t{8} << 33);
    QTest::keyClick(Viewport(), Qt::Key_End);
    // The bottom edge of the picture is in view.
    EXPECT_LE(Picture()->Top() + Picture()->Height(), Viewport()->height());
    EXPECT_GT(Picture()->Top() + Picture()->Height(), 0);
    // The file's last pixel, 8000 rows down, can be reached too.
    VBar()->setValue(0);
    const std::int64_t unit = Picture()->Height() / VBar()->maximum();
    VBar()->setValue(static_cast<int>(7999 * 8 / unit));
    const std::int64_t row = (-Picture()->Top()) / 8;
    EXPECT_LE(row, 7999);
    EXPECT_GT(row + Viewport()->height() / 8, 7999);
}

}  // namespace
}  // namespace rastel::testing
