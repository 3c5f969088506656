#include <QWheelEvent>

#include "view/MainViewFixture.h"
#include "view/modAPIwheel.h"

namespace rastel::testing {
namespace {

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

TEST_F(KeysTest, EachModifierSetScrollsByItsStep) {
    struct Case {
        Qt::KeyboardModifiers modifiers;
        int step;
    };
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier,
                                alt = Qt::AltModifier;
    for (const Case c :
         {Case{{}, 1}, {shift, 5}, {ctrl, 20}, {shift | ctrl, 100}, {alt, 9}, {shift | alt, 225}}) {
        VBar()->setValue(-2);
        QTest::keyClick(Viewport(), Qt::Key_Down, c.modifiers);
        EXPECT_EQ(VBar()->value(), -2 + c.step) << c.step;
        EXPECT_EQ(Picture()->Top(), 2 - c.step);
        QTest::keyClick(Viewport(), Qt::Key_Up, c.modifiers);
        EXPECT_EQ(VBar()->value(), -2);
    }
    // Steps beyond the range stop on its end.
    QTest::keyClick(Viewport(), Qt::Key_Down, ctrl | alt);
    EXPECT_EQ(VBar()->value(), VBar()->Max());
    VBar()->setValue(-2);
    QTest::keyClick(Viewport(), Qt::Key_Down, shift | ctrl | alt);
    EXPECT_EQ(VBar()->value(), VBar()->Max());
}

TEST_F(KeysTest, StepsStopOnTheEndsAndSidewaysUsesTheVerticalLargeChange) {
    VBar()->setValue(VBar()->Max() - 3);
    QTest::keyClick(Viewport(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(VBar()->value(), VBar()->Max());
    VBar()->setValue(-2);
    QTest::keyClick(Viewport(), Qt::Key_Up);
    EXPECT_EQ(VBar()->value(), -2);

    QTest::keyClick(Viewport(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(HBar()->value(), 18);
    EXPECT_EQ(Picture()->Left(), -18);
    QTest::keyClick(Viewport(), Qt::Key_Left);
    EXPECT_EQ(HBar()->value(), 17);

    QTest::keyClick(Viewport(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(VBar()->value(), VBar()->Max());
    QTest::keyClick(Viewport(), Qt::Key_Home);
    EXPECT_EQ(VBar()->value(), -2);
}

TEST_F(MainViewTest, HomeAndEndMoveAShortPictureThoughTheBarIsHidden) {
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    ASSERT_TRUE(VBar()->isHidden());
    QTest::keyClick(Viewport(), Qt::Key_Down);
    EXPECT_EQ(Picture()->Top(), 2);  // arrows need a visible bar
    QTest::keyClick(Viewport(), Qt::Key_End);
    const int max = 6 + 8 - Viewport()->height();
    EXPECT_EQ(VBar()->Max(), max);
    EXPECT_EQ(VBar()->value(), max);
    EXPECT_EQ(Picture()->Top() + Picture()->Height(), Viewport()->height() - 6);
    QTest::keyClick(Viewport(), Qt::Key_Home);
    EXPECT_EQ(Picture()->Top(), 2);
}

TEST_F(KeysTest, EachWheelEventIsOneStepWhateverItsSizeAndWhereverItLands) {
    struct Case {
        int delta;
        Qt::KeyboardModifiers modifiers;
        int move;
    };
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    for (QWidget* target : {static_cast<QWidget*>(Viewport()), static_cast<QWidget*>(VBar()),
                            static_cast<QWidget*>(Picture())}) {
        for (const Case c : {Case{-120, {}, 1},
                             {-120, shift, 5},
                             {-120, ctrl, 20},
                             {-120, shift | ctrl, 100},
                             {-1200, {}, 1},
                             {0, {}, 1},
                             {120, {}, -1},
                             {960, shift, -5}}) {
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
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "終了します");
    EXPECT_EQ(dialogs.messages[0].title, "確認");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(dialogs.messages[0].defaultButton, MsgResult::Cancel);
    EXPECT_TRUE(window->isVisible());
    VBar()->setValue(10);
    Wheel(Viewport(), -120);
    EXPECT_EQ(VBar()->value(), 11);

    dialogs.messageAnswers = {MsgResult::Ok};
    Action("fMnuFILEexit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(modAPIwheel::gHookedWnd, nullptr);
}

}  // namespace
}  // namespace rastel::testing
