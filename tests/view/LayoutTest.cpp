// Where the picture and the scroll bars go, what is painted, how the keys and the wheel move
// the picture, and how the window closes.
#include <QWheelEvent>

#include "image/PixelDecoder.h"
#include "view/MainViewFixture.h"
#include "view/modAPIwheel.h"

namespace rastel::testing {
namespace {

// Each bar's range runs from the margin before the picture to the picture's far edge three
// margins inside the viewport; the bars are decided in one pass, from the client area of
// 380 x 315 that the window starts with.
TEST_F(MainViewTest, BarsAppearForWideAndTallPictures) {
    for (const auto& [width, height, both] : {std::tuple{1000, 1, false}, {500, 400, true}}) {
        look = {.width = width, .height = height};
        OpenThroughMenu(WriteFile("a", Pattern(200000)));
        ASSERT_FALSE(HBar()->isHidden());
        ASSERT_EQ(VBar()->isHidden(), !both);
        const QRect vp = Viewport()->geometry();
        EXPECT_EQ(vp, QRect(0, 0, 380 - (both ? VBar()->width() : 0), 315 - HBar()->height()));
        EXPECT_EQ(HBar()->geometry(), QRect(0, vp.height(), vp.width(), HBar()->height()));
        EXPECT_EQ(std::pair(HBar()->Min(), HBar()->Max()), std::pair(-2, 6 + width - vp.width()));
        if (both) {
            EXPECT_EQ(VBar()->geometry(), QRect(vp.width(), 0, VBar()->width(), vp.height()));
            EXPECT_EQ(VBar()->Max(), 6 + height - vp.height());
        }
        HBar()->setValue(HBar()->Max());
        EXPECT_EQ(Picture()->Left() + Picture()->Width(), vp.width() - 6);
        HBar()->setValue(-2);
        EXPECT_EQ(Picture()->Left(), 2);
    }
}

TEST_F(LoadedTest, TheOptionsCommandRedrawsOnOkOnlyAndUndoesAnImpossiblePicture) {
    answer = false;
    look = {.magX = 2};
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(Picture()->Width(), 128);
    answer = true;
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(Picture()->Width(), 256);
    const State before = Now();
    look = {.width = 0, .palette = modBITMAPinfo::kPalBinary};
    Action("fMnuEDIToption")->trigger();
    ExpectBox(dialogs, {"画像の幅と高さが正しくありません", "rastel", MsgIcon::Exclamation});
    EXPECT_EQ(Now(), before);
}

// Shown from the file's bytes, a picture paints and exports as it would held whole, at every
// depth, in orders whose groups straddle rows or not, magnified, from negative and positive
// offsets, wherever it is scrolled to.
TEST_F(MainViewTest, APictureOverTheBudgetPaintsAndExportsAsAHeldOne) {
    window->resize(300, 200);
    const QString path = WriteFile("a.bin", Pattern(50000)), target = dir.filePath("out.bmp");
    struct Case {
        int depth, order;
        std::int64_t width, offset;
    };
    for (const auto& [depth, order, width, offset] : {Case{0, 0, 333, -77},
                                                      {0, 2, 64, 5},
                                                      {1, 2, 333, -77},
                                                      {1, 0, 101, 3},
                                                      {2, 0, 333, -77},
                                                      {2, 1, 48, 9}}) {
        look = {.width = width,
                .height = 50000 * modBITMAPinfo::PixelsPerByte(depth) / width + 1,
                .offset = offset,
                .magX = 3,
                .magY = 2,
                .depth = depth,
                .order = order,
                .palette = modBITMAPinfo::kPalThermo};
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
                    (40 - Picture()->Top()) / 2 * width + (30 - Picture()->Left()) / 3 + offset;
                const auto& e =
                    gDib.bmiColors[modBITMAPinfo::PixelAt(depth, order, Pattern(50000), p)];
                EXPECT_EQ(shown[budget == 1000].back().pixel(30, 40),
                          qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue));
            }
            SaveThroughMenu(target);
            exported[budget == 1000] = ReadAll(target);
        }
        EXPECT_TRUE(gDib.bits.empty());  // the held pixels were given up
        EXPECT_EQ(shown[0], shown[1]) << depth;
        EXPECT_EQ(exported[0], exported[1]) << depth;
        // And streamed as a PNG: the same pixels and palette.
        SaveThroughMenu(dir.filePath("out.png"));
        EXPECT_EQ(
            QImage(dir.filePath("out.png"), "png"),
            QImage::fromData(exported[0].data(), static_cast<int>(exported[0].size()), "bmp"));
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

// 2^33 rows of one pixel, eight screen pixels each: far beyond what a bar counts, and still
// scrolled to its end and to a byte.
TEST_F(MainViewTest, APictureTallerThanAScrollBarCountsReachesItsEnd) {
    look = {.width = 1,
            .height = std::int64_t{1} << 33,
            .magX = 8,
            .magY = 8,
            .depth = modBITMAPinfo::kDepth2};
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(Picture()->Height(), std::int64_t{8} << 33);
    QTest::keyClick(Viewport(), Qt::Key_End);
    EXPECT_LE(Picture()->Top() + Picture()->Height(), Viewport()->height());
    EXPECT_GT(Picture()->Top() + Picture()->Height(), 0);
    // Going to the last byte brings its first row to the top, within a step.
    VBar()->setValue(0);
    GoTo({"999"});
    const std::int64_t unit = Picture()->Height() / VBar()->Max();
    EXPECT_LE(-Picture()->Top(), 7992 * 8);
    EXPECT_GT(-Picture()->Top() + unit, 7992 * 8);
}

class KeysTest : public MainViewTest {
  protected:
    void SetUp() override {
        MainViewTest::SetUp();
        look = {.width = 1000, .height = 1000};
        OpenThroughMenu(WriteFile("big", Pattern(1000000)));
        ASSERT_FALSE(VBar()->isHidden() || HBar()->isHidden());
    }
    void Wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = {}) {
        QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier,
                                alt = Qt::AltModifier;
};

TEST_F(KeysTest, EachModifierSetScrollsByItsStepAndStopsOnTheEnds) {
    // clang-format off
    for (const auto& [modifiers, step] : {std::pair{Qt::KeyboardModifiers{}, 1}, {shift, 5},
                                          {ctrl, 20}, {shift | ctrl, 100}, {alt, 9}, {shift | alt, 225}}) {
        // clang-format on
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
    QTest::keyClick(Viewport(), Qt::Key_Right, ctrl);  // the vertical bar's large step
    EXPECT_EQ(std::pair(HBar()->value(), Picture()->Left()), std::pair(18, std::int64_t{-18}));
    QTest::keyClick(Viewport(), Qt::Key_Home);
    EXPECT_EQ(VBar()->value(), -2);
    QTest::keyClick(Viewport(), Qt::Key_End, shift);
    EXPECT_EQ(VBar()->value(), VBar()->Max());
}

// One step per wheel event, whatever its size, wherever it lands; the exit asks first.
TEST_F(KeysTest, TheWheelStepsAndTheExitAsks) {
    for (QWidget* target : QList<QWidget*>{Viewport(), VBar(), Picture()}) {
        for (const auto& [delta, modifiers, move] : {std::tuple{-120, Qt::KeyboardModifiers{}, 1},
                                                     {-1200, shift | ctrl, 100},
                                                     {960, shift, -5}}) {
            VBar()->setValue(200);
            Wheel(target, delta, modifiers);
            EXPECT_EQ(VBar()->value(), 200 + move) << target->objectName().toStdString() << delta;
        }
    }
    dialogs.messageAnswers = {MsgResult::Cancel, MsgResult::Ok};
    Action("fMnuFILEexit")->trigger();
    ExpectBox(dialogs,
              {"終了します", "確認", MsgIcon::Question, MsgButtons::OkCancel, MsgResult::Cancel});
    EXPECT_TRUE(window->isVisible());
    Action("fMnuFILEexit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(modAPIwheel::gHookedWnd, nullptr);
}

}  // namespace
}  // namespace rastel::testing
