// Where the picture and the scroll bars go, what is painted, how the keys and the wheel move
// the picture, and how the window closes.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>

#include "image/pixels/PixelDecoder.h"
#include "support/Monkey.h"
#include "view/MainViewFixture.h"
#include "view/OverviewStrip.h"
#include "view/PointerReadout.h"
#include "view/modAPIwheel.h"

namespace rastel::testing {
namespace {

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
            for (const auto& [h, v] : {std::pair{0, 0},
                                       {500, 40},
                                       {HBar()->maximum(), 1000},
                                       {HBar()->maximum(), 1250},
                                       {17, VBar()->maximum()}}) {
                HBar()->setValue(h);
                VBar()->setValue(v);
                shown[budget == 1000].push_back(Viewport()->grab().toImage());
                // A pixel in view and the last column in view, worked out from the file's bytes.
                const std::int64_t right = Picture()->Left() + Picture()->Width();
                for (const std::int64_t x :
                     {std::int64_t{30}, std::min<std::int64_t>(right, Viewport()->width()) - 1}) {
                    const std::int64_t p =
                        (40 - Picture()->Top()) / 2 * width + (x - Picture()->Left()) / 3 + offset;
                    const auto& e =
                        gDib.bmiColors[modBITMAPinfo::PixelAt(depth, order, Pattern(50000), p)];
                    EXPECT_EQ(shown[budget == 1000].back().pixel(static_cast<int>(x), 40),
                              qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue));
                }
                // A scroll step finds the rows it shows already decoded.
                const std::int64_t decoded = Picture()->Rows().DecodedPixels();
                QTest::keyClick(Viewport(), Qt::Key_Down, Qt::ControlModifier);
                Viewport()->grab();
                EXPECT_EQ(Picture()->Rows().DecodedPixels(), decoded);
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

// Direct formats draw their own colours: as they are; over the checkerboard, in squares of 8
// screen pixels, where they have alpha; gray16 from its smallest value in black to its largest
// in white, whether the read measured them or a redraw did. The clipboard gets them as drawn.
TEST_F(MainViewTest, DirectFormatsDrawTheirColoursOverTheCheckerboardAndGreys) {
    const std::vector<std::uint8_t> rgba = {200, 31, 7, 255, 9,   9, 9, 0,
                                            9,   9,  9, 0,   255, 0, 0, 128};
    look = {.width = 4, .magX = 4, .magY = 16, .format = 5};
    OpenThroughMenu(WriteFile("rgba", rgba));
    QImage shown = Picture()->grab().toImage();
    const QRgb light = qRgb(0xFF, 0xFF, 0xFF), dark = qRgb(0xCC, 0xCC, 0xCC);
    for (const auto& [x, y, colour] : {std::tuple{1, 1, qRgb(200, 31, 7)},
                                       {5, 7, light},
                                       {9, 7, dark},
                                       {9, 8, light},
                                       {14, 1, QRgb(core::OverGrey(0x80FF0000, 0xCC))}}) {
        EXPECT_EQ(shown.pixel(x, y), colour) << x << "," << y;
    }
    Action("fMnuEDITcapture")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), shown);

    // gray16le 100, 5000 and 60000.
    look = {.width = 3, .magX = 1, .magY = 1, .format = 13};
    OpenThroughMenu(WriteFile("grey", {0x64, 0, 0x88, 0x13, 0x60, 0xEA}));
    for (const bool read : {true, false}) {
        shown = Picture()->grab().toImage();
        const int mid = core::GreyLevel(5000, {100, 60000});
        EXPECT_EQ(std::tuple(shown.pixel(0, 0), shown.pixel(1, 0), shown.pixel(2, 0)),
                  std::tuple(qRgb(0, 0, 0), qRgb(mid, mid, mid), qRgb(255, 255, 255)))
            << read;
        Action("fMnuEDIToption")->trigger();
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

TEST_F(LoadedTest, TheExitAsks) {
    dialogs.messageAnswers = {MsgResult::Cancel, MsgResult::Ok};
    Action("fMnuFILEexit")->trigger();
    ExpectBox(dialogs,
              {"終了します", "確認", MsgIcon::Question, MsgButtons::OkCancel, MsgResult::Cancel});
    EXPECT_TRUE(window->isVisible());
    Action("fMnuFILEexit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(modAPIwheel::gHookedWnd, nullptr);
}

// The window played at random with a file open: keys and the wheel with any modifiers,
// resizes, pointer moves, and the menu commands with their dialogs answered. After each event
// the bars hold their ranges, the viewport, the bars and the picture lie where the layout puts
// them, and the readout names the pixel under the pointer, its value the decoder's.
class WindowMonkey : public MainViewTest, public Monkey {
  protected:
    void Start() override {
        window->resize(400, 380);
        Command(5);
        redrawn_ = true;
        QApplication::processEvents();
        MoveTo(PointIn(Viewport()));
    }

    std::string Act() override {
        Qt::KeyboardModifiers mods;
        for (const auto m : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
            mods |= Pick(3) == 0 ? m : Qt::NoModifier;
        }
        const std::string with = " with modifiers " + std::to_string(mods.toInt() >> 25);
        const int move = Pick(14);
        if (move < 6) {
            // A step of 1, 5 with Shift, times the vertical bar's large step 20 with Ctrl, and
            // tripled and squared with Alt, which the wheel knows nothing of; arrows move shown
            // bars only, Home and End go to the vertical bar's ends in any case.
            const bool wheel = move >= 4;
            const Qt::Key key =
                std::array{Qt::Key_Up,    Qt::Key_Down, Qt::Key_Left,
                           Qt::Key_Right, Qt::Key_Home, Qt::Key_End}[Pick(wheel ? 2 : 6)];
            toolkit::ScrollBar* bar = key == Qt::Key_Left || key == Qt::Key_Right ? HBar() : VBar();
            const std::int64_t unit = (mods & Qt::ShiftModifier ? 5 : 1) *
                                      (mods & Qt::ControlModifier ? 20 : 1),
                               v = bar->value(),
                               step = mods & Qt::AltModifier && !wheel ? 9 * unit * unit : unit;
            stepped_ = {bar, key == Qt::Key_Home  ? bar->Min()
                             : key == Qt::Key_End ? bar->Max()
                             : bar->isHidden()    ? v
                             : key == Qt::Key_Up || key == Qt::Key_Left
                                 ? std::max<std::int64_t>(v - step, bar->Min())
                                 : std::min<std::int64_t>(v + step, bar->Max())};
            QWidget* over = std::array<QWidget*, 3>{Viewport(), VBar(), Picture()}[Pick(3)];
            wheel ? Wheel(over, (key == Qt::Key_Up ? 120 : -120) * (1 + Pick(5)), mods)
                  : QTest::keyClick(Viewport(), key, mods);
            return (wheel ? "wheel over " + over->objectName().toStdString() + " " : "key ") +
                   QKeySequence(key).toString().toStdString() + with;
        }
        if (move < 9) {
            QWidget* over = window->findChild<QWidget*>(hovered_[Pick(hovered_.size())]);
            return over->isVisible() ? MoveTo(PointIn(over)) : "no move";
        }
        if (move == 9) {
            window->resize(150 + Pick(600), 150 + Pick(500));
            QApplication::processEvents();
        } else {
            Command(move - 10 + Pick(3) * (move == 13));
        }
        // After a resize, a redraw or a modal window that took the pointer away, the windowing
        // system of a test tells what is under the pointer only with the next move.
        redrawn_ = true;
        QTest::mouseMove(window.get(), *pointer_ + QPoint(1, 0));  // a move to the same place
        QTest::mouseMove(window.get(), *pointer_);                 // would be dropped
        dialogs.messages.clear();
        dialogs.fileAnswers.clear();
        return move == 9 ? "resized to " + std::to_string(window->width()) + " x " +
                               std::to_string(window->height())
                         : said_;
    }

    // A menu command, with its dialog answered, when it is on.
    void Command(int which) {
        const char* name = std::array{"fMnuEDIToption", "fMnuVIEWgoto",  "fMnuVIEWwidth",
                                      "fMnuFILEsave",   "fMnuFILEclose", "fMnuFILEload"}[which];
        said_ = name;
        if (!Action(name)->isEnabled()) {
            said_ += " is off";
            return;
        }
        const int depth = Pick(3), width = 1 + Pick(Pick(2) ? 200 : 3000);
        look = {.width = width,
                .offset = Pick(2000) - 1000,
                .magX = 1 + Pick(8),
                .magY = 1 + Pick(8),
                .depth = depth,
                .order = Pick(modBITMAPinfo::OrderCount(depth)),
                .palette = Pick(3)};
        answer = Pick(4) != 0;
        window->SetPictureBudget(Pick(2) ? 1000 : std::int64_t{1} << 40);
        dialogs.messageAnswers = {Pick(2) ? MsgResult::Ok : MsgResult::Cancel};
        dialogs.fileAnswers = {dir.filePath(Pick(2) ? "out.bmp" : "out.png")};
        if (which == 5) {
            look = {};
            answer = true;
            dialogs.fileAnswers = {WriteFile("a", Pattern(3700))};
        }
        QStringList texts{QString::number(Pick(4000))};  // for go-to
        for (int n = Pick(3); n > 0; --n) {
            texts.prepend(std::array<QString, 4>{"abc", "-1", "0x1F", "3700"}[Pick(4)]);
        }
        if (which == 1) {
            said_ += " " + texts.join(' ').toStdString();
            return GoTo(texts);
        }
        const Qt::Key key = Pick(2) ? Qt::Key_Return : Qt::Key_Escape;  // for the widths
        WhenModal<QDialog> user([key](QDialog* d) { QTest::keyClick(d->focusWidget(), key); });
        Action(name)->trigger();
    }

    std::string MoveTo(QPoint at) {
        pointer_ = at;
        QCursor::setPos(window->mapToGlobal(at));  // where Qt looks after a redraw
        QTest::mouseMove(window.get(), at);
        return "pointer to " + std::to_string(at.x()) + ", " + std::to_string(at.y());
    }

    std::string Fault() override {
        const QSize client = window->findChild<QWidget*>("mClient")->size();
        const QRect vp = Viewport()->geometry();
        const int vThick = VBar()->isHidden() ? 0 : VBar()->width();
        const int hThick = HBar()->isHidden() ? 0 : HBar()->height();
        if (vp != QRect(0, 0, client.width() - vThick, client.height() - hThick)) {
            return "the viewport does not fill the client area beside the bars";
        }
        const ImageBox* p = Picture();
        // A redraw leaves the bars where they were, and the picture at the margin until a bar
        // moves.
        for (const auto& [bar, extent, room, at, place, parked] :
             {std::tuple{HBar(), p->Width(), vp.width(), -p->Left(),
                         QRect(0, vp.height(), vp.width(), hThick), &parked_[0]},
              {VBar(), p->Height(), vp.height(), -p->Top(),
               QRect(vp.width(), 0, vThick, vp.height()), &parked_[1]}}) {
            const int v = bar->value();
            *parked = at == v ? std::nullopt : redrawn_ && at == -2 ? std::optional(v) : *parked;
            if (bar->Min() != -2 || bar->Max() != 6 + extent - room ||
                (!bar->isHidden() && bar->geometry() != place) || v < std::min(-2, bar->Max()) ||
                v > std::max(-2, bar->Max()) || (at != v && (at != -2 || *parked != v))) {
                return bar->objectName().toStdString() + " at " + std::to_string(v) +
                       " is not where the picture at " + std::to_string(at) + " puts it";
            }
        }
        redrawn_ = false;
        if (const auto [bar, want] = std::exchange(stepped_, {}); bar && bar->value() != want) {
            return bar->objectName().toStdString() + " stepped to " + std::to_string(bar->value()) +
                   ", not " + std::to_string(want);
        }
        const auto& s = gDib.settings;
        const QRect part(QPoint(std::max<int>(p->Left(), 0), std::max<int>(p->Top(), 0)),
                         QPoint(std::min<std::int64_t>(p->Left() + p->Width(), vp.width()) - 1,
                                std::min<std::int64_t>(p->Top() + p->Height(), vp.height()) - 1));
        if ((p->HasPicture()
                 ? p->Width() != s.gPicWidth * s.gMagX || p->Height() != s.gPicHeight * s.gMagY
                 : p->Visible()) ||
            p->isVisible() != (p->Visible() && part.isValid()) ||
            (p->isVisible() && p->geometry() != part)) {
            return "the picture's widget does not cover the part of the picture in view, or "
                   "shows a picture cleared";
        }
        // Where the pointer went out of the viewport, the windowing system of a test may not
        // have said so.
        const QPoint in = Viewport()->mapFrom(window.get(), *pointer_);
        const std::int64_t x = in.x() - p->Left(), y = in.y() - p->Top();
        QString want;
        const auto* strip = window->findChild<OverviewStrip*>("picSTRIP");
        const QPoint on = strip->mapFrom(window.get(), *pointer_);
        const bool onStrip = strip->isVisible() && strip->rect().contains(on);
        if (onStrip && !strip->Empty()) {
            const auto [first, end] = strip->RowBytes(on.y());
            want = StripReadout(strip->Shown(), first, end);
        } else if (!Viewport()->rect().contains(in)) {
            return "";
        }
        if (!onStrip && p->HasPicture() && p->Visible() && x >= 0 && y >= 0 && x < p->Width() &&
            y < p->Height()) {
            const auto layout = modBITMAPinfo::DecodeLayout::From(s, s.gUseOffset ? s.gOffA : 0);
            want = PointerReadout(layout, gRawData, x / s.gMagX, y / s.gMagY);
            const QString value = want.section("値: ", 1).section('(', -1).remove(')');
            const int pixel = modBITMAPinfo::PixelAt(layout.depth, layout.order, gRawData,
                                                     layout.position(y / s.gMagY, x / s.gMagX));
            want += value.isEmpty() || value.toInt() == pixel ? "" : " (not the decoder's)";
        }
        const QString text = window->findChild<QLabel*>("lblPOINTER")->text();
        return text == want ? ""
                            : "at " + std::to_string(in.x()) + ", " + std::to_string(in.y()) +
                                  " the readout is \"" + text.toStdString() + "\", not \"" +
                                  want.toStdString() + "\"";
    }

    // Where the pointer goes: a widget beside the viewport is one more name.
    const std::vector<const char*> hovered_ = {"picBASE", "picPICT", "VscPicBASE", "picSTRIP"};
    std::optional<QPoint> pointer_;  // in the window
    bool redrawn_ = false;
    std::optional<int> parked_[2];  // where a bar was when a redraw put the picture back
    std::string said_;
    std::pair<toolkit::ScrollBar*, std::int64_t> stepped_{};  // where a key or the wheel goes
};

TEST_F(WindowMonkey, KeepsTheLayoutAndTheReadout) {
    Monkey::Run(20261208, 1000);
}

}  // namespace
}  // namespace rastel::testing
