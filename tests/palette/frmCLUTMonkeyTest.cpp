// A monkey in the palette editor: a seeded stream of random keys, typed texts, clicks, drags
// and hovers, through the widgets and through the window, with the rules of the editor
// checked after every event. Closing the window (Escape, Alt+C, the close button) opens a
// fresh one, as the settings dialog would.
//
// The test command runs one seed. For a longer run, set the first seed, the number of seeds
// and the events per seed, and run build/tests/palette/rastel_palette_tests with
// --gtest_filter='PaletteEditorMonkey.*' and RASTEL_MONKEY_SEED=1 RASTEL_MONKEY_SEEDS=50
// RASTEL_MONKEY_EVENTS=20000 in its environment.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <memory>
#include <random>

#include "palette/frmCLUT.h"
#include "palette/modCLUT.h"
#include "settings/FieldRules.h"
#include "support/MonkeyRun.h"
#include "toolkit/ControlArray.h"
#include "toolkit/Shape.h"
#include "toolkit/Tag.h"

namespace rastel {
namespace {

using modCLUT::gCustomPal;

// A field's text as the editor leaves it: empty while typing, otherwise a plain decimal
// index or component.
bool IsPlainByte(const QString& text) {
    const std::optional<int> value = fieldRules::ByteValue(text.toStdString());
    return value && QString::number(*value) == text;
}

class Monkey {
  public:
    explicit Monkey(std::uint64_t seed) : hands_(seed) { Open(); }

    // One random event; returns what it did.
    std::string Act() {
        if (!window_->isVisible()) {
            Open();
            return "reopened the window";
        }
        // Access keys are rarer: a button's waits for its press animation.
        switch (Pick(20)) {
            case 0:
            case 1:
            case 2:
            case 3:
                return TypeText();
            case 4:
            case 5:
            case 6:
            case 7:
                return PressKey();
            case 8:
                return AccessKey();
            case 9:
            case 10:
            case 11:
            case 12:
                return ClickControl();
            case 13:
            case 14:
            case 15:
                return ClickSwatch();
            case 16:
            case 17:
                return DragScrollBar();
            default:
                return Hover();
        }
    }

    // The focus field before an event, when it may not be left: empty or not a number.
    QLineEdit* StuckField() const {
        for (QLineEdit* field : Validated()) {
            if (field->hasFocus() && !fieldRules::ByteValue(field->text().toStdString())) {
                return field;
            }
        }
        return nullptr;
    }

    bool Visible() const { return window_->isVisible(); }

    // Every rule the editor keeps, or a description of the first one broken.
    std::string Broken() const {
        if (!active_) {
            return "the window did not become active";
        }
        for (QLineEdit* field : Validated()) {
            const QString name = field->objectName();
            if (!IsPlainByte(toolkit::Tag(field))) {
                return name.toStdString() + " accepted " + toolkit::Tag(field).toStdString();
            }
            if (!field->text().isEmpty() && !IsPlainByte(field->text())) {
                return name.toStdString() + " holds " + field->text().toStdString();
            }
            if (!field->text().isEmpty() && field->text() != toolkit::Tag(field)) {
                return name.toStdString() + " shows " + field->text().toStdString() +
                       " but accepted " + toolkit::Tag(field).toStdString();
            }
        }
        for (QLineEdit* end : {start_, end_}) {
            if (!IsPlainByte(end->text())) {
                return "gradient end " + end->text().toStdString();
            }
        }
        const int selected = toolkit::Tag(index_).toInt();
        if (Find<QWidget>("ShapeC")->geometry() != swatch_[selected]->geometry()) {
            return "the frame is not on entry " + std::to_string(selected);
        }
        for (int i = 0; i < 256; ++i) {
            const modBITMAPinfo::RGBQUAD& c = gCustomPal.colors[i];
            if (c.rgbReserved != 0) {
                return "reserved byte of entry " + std::to_string(i);
            }
            if (swatch_[i]->fillColor() != QColor(c.rgbRed, c.rgbGreen, c.rgbBlue)) {
                return "swatch " + std::to_string(i) + " does not show its entry";
            }
        }
        for (const std::uint8_t b : gCustomPal.header) {
            if (b != 0) {
                return "the palette's header area was written";
            }
        }
        for (const QScrollBar* bar : bar_) {
            if (bar->value() < 0 || bar->value() > 255) {
                return "scroll bar at " + std::to_string(bar->value());
            }
        }
        return "";
    }

  private:
    template <typename T>
    T* Find(const char* name) const {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }

    QList<QLineEdit*> Validated() const { return {index_, color_[0], color_[1], color_[2]}; }

    void Open() {
        window_ = std::make_unique<frmCLUT>();
        window_->show();
        window_->activateWindow();
        active_ = QTest::qWaitForWindowActive(window_.get());
        index_ = Find<QLineEdit>("tbxCOLINDEX");
        color_ = toolkit::Elements<QLineEdit>(window_.get(), "tbxCOLOR");
        bar_ = toolkit::Elements<QScrollBar>(window_.get(), "scrCOLOR");
        swatch_ = toolkit::Elements<toolkit::Shape>(window_.get(), "Shape1");
        hit_ = toolkit::Elements<QWidget>(window_.get(), "Image1");
        start_ = Find<QLineEdit>("tbxGRDA");
        end_ = Find<QLineEdit>("tbxGRDZ");
    }

    int Pick(int n) { return hands_.Pick(static_cast<std::size_t>(n)); }

    QWidget* FocusOrWindow() const {
        QWidget* focus = QApplication::focusWidget();
        return focus && focus->window() == window_.get() ? focus : window_.get();
    }

    // A point inside a control, in window coordinates.
    QPoint PointIn(const QWidget* w) { return hands_.PointIn(w); }

    std::string TypeText() {
        return hands_.Type(FocusOrWindow(), "0123456789012345.-+eE x,", 4, 4);
    }

    std::string PressKey() {
        static const Qt::Key kKeys[] = {Qt::Key_Up,        Qt::Key_Down,   Qt::Key_Left,
                                        Qt::Key_Right,     Qt::Key_Tab,    Qt::Key_Backtab,
                                        Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Home,
                                        Qt::Key_End,       Qt::Key_Return, Qt::Key_Escape};
        return hands_.Press(window_.get(), FocusOrWindow(), kKeys);
    }

    std::string AccessKey() {
        static const Qt::Key kKeys[] = {Qt::Key_N, Qt::Key_R, Qt::Key_G, Qt::Key_B,
                                        Qt::Key_A, Qt::Key_Z, Qt::Key_P, Qt::Key_C};
        return hands_.AccessKey(window_.get(), kKeys);
    }

    std::string ClickControl() {
        static const char* const kNames[] = {"tbxCOLINDEX", "tbxCOLOR", "scrCOLOR", "optGRD",
                                             "cmdGRD",      "Command1", "Command4", "Combo1",
                                             "cmdEXIT",     "tbxGRDA",  "Label1",   "Frame1"};
        const char* name = kNames[Pick(std::size(kNames))];
        // A name is one control or a whole array, of which any element is clicked.
        QList<QWidget*> matches = toolkit::Elements<QWidget>(window_.get(), name);
        if (matches.isEmpty()) {
            matches = window_->findChildren<QWidget*>(name);
        }
        hands_.Click(matches[Pick(static_cast<int>(matches.size()))]);
        return std::string("click on ") + name;
    }

    std::string ClickSwatch() {
        const int i = Pick(256);
        const Qt::MouseButton button = Pick(3) == 0 ? Qt::RightButton : Qt::LeftButton;
        if (Pick(2) == 0) {
            QTest::mouseClick(window_->windowHandle(), button, {}, PointIn(hit_[i]));
        } else {
            QTest::mouseClick(hit_[i], button);
        }
        return std::string(button == Qt::RightButton ? "right" : "left") + " click on swatch " +
               std::to_string(i);
    }

    std::string DragScrollBar() {
        const int k = Pick(3);
        QWindow* w = window_->windowHandle();
        QPoint at = PointIn(bar_[k]);
        QTest::mousePress(w, Qt::LeftButton, {}, at);
        for (int steps = Pick(4); steps > 0; --steps) {
            at.setX(std::clamp(at.x() + Pick(81) - 40, 0, window_->width() - 1));
            QTest::mouseMove(w, at);
        }
        QTest::mouseRelease(w, Qt::LeftButton, {}, at);
        return "drag on scroll bar " + std::to_string(k);
    }

    std::string Hover() {
        const int i = Pick(256);
        QTest::mouseMove(window_->windowHandle(), PointIn(hit_[i]));
        return "hover over swatch " + std::to_string(i);
    }

    testing::MonkeyHands hands_;
    std::unique_ptr<frmCLUT> window_;
    bool active_ = false;
    QLineEdit* index_ = nullptr;
    QList<QLineEdit*> color_;
    QList<QScrollBar*> bar_;
    QList<toolkit::Shape*> swatch_;
    QList<QWidget*> hit_;
    QLineEdit* start_ = nullptr;
    QLineEdit* end_ = nullptr;
};

TEST(PaletteEditorMonkey, KeepsEveryFieldAndThePaletteValid) {
    const auto plan = testing::MonkeyPlan::FromEnvironment(20261206);
    for (std::uint64_t seed = plan.firstSeed; seed < plan.firstSeed + plan.seeds; ++seed) {
        gCustomPal = {};
        Monkey monkey(seed);
        QLineEdit* stuck = nullptr;  // the field that may not be left before this event
        auto step = [&] {
            stuck = monkey.StuckField();
            return monkey.Act();
        };
        auto broken = [&] {
            std::string fault = monkey.Broken();
            if (fault.empty() && stuck && monkey.Visible() && !stuck->hasFocus()) {
                fault = "the focus left " + stuck->objectName().toStdString() +
                        " while it held \"" + stuck->text().toStdString() + "\"";
            }
            return fault;
        };
        if (!testing::RunMonkey(seed, plan.events, step, broken)) {
            return;
        }
    }
}

}  // namespace
}  // namespace rastel
