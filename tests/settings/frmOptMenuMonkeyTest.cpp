// A monkey in the settings dialog: a seeded stream of random keys, typed texts and clicks,
// through the widgets and through the window, with the rules of the fields checked after every
// event. OK, Cancel and Escape close the dialog; a fresh one opens, sometimes for a file of
// another size. The palette editor the dialog opens is closed again at once.
//
// The test command runs one seed. For a longer run, run
// build/tests/settings/rastel_settings_tests with --gtest_filter='SettingsDialogMonkey.*' and
// RASTEL_MONKEY_SEED=1 RASTEL_MONKEY_SEEDS=50 RASTEL_MONKEY_EVENTS=20000 in its environment.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <random>

#include "image/modBITMAPinfo.h"
#include "palette/frmCLUT.h"
#include "palette/modCLUT.h"
#include "settings/FieldRules.h"
#include "settings/frmOptMenu.h"
#include "support/MonkeyRun.h"
#include "toolkit/Tag.h"
#include "toolkit/Validation.h"

namespace rastel {
namespace {

using modBITMAPinfo::gDib;
namespace rules = fieldRules;

// A whole number from lo to hi, written plainly.
bool PlainIn(const QString& text, std::int64_t lo, std::int64_t hi) {
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    return ok && QString::number(v) == text && v >= lo && v <= hi;
}

// A text the field may hold: empty while typing, else a number whose whole part is in range.
bool HoldableIn(const QString& text, std::int64_t lo, std::int64_t hi) {
    const std::optional<double> v = rules::ParseNumber(text.toStdString());
    return text.isEmpty() || (v && rules::WholePart(*v) >= lo && rules::WholePart(*v) <= hi);
}

class Monkey {
  public:
    explicit Monkey(std::uint64_t seed) : hands_(seed) {
        // The palette editor is modal: it runs its own loop, in which this closes it.
        closer_.setInterval(5);
        QObject::connect(&closer_, &QTimer::timeout, [this] {
            if (!dialog_) {
                return;
            }
            for (frmCLUT* editor : dialog_->findChildren<frmCLUT*>()) {
                if (editor->isVisible()) {
                    editor->reject();
                }
            }
        });
        closer_.start();
        Open();
    }

    std::string Act() {
        if (!dialog_->isVisible()) {
            const bool ok = dialog_->optOKCancel;
            Open();
            return ok ? "reopened after OK" : "reopened after Cancel";
        }
        switch (Pick(10)) {
            case 0:
            case 1:
            case 2:
                return TypeText();
            case 3:
            case 4:
            case 5:
                return PressKey();
            case 6:
                return AccessKey();
            default:
                return ClickControl();
        }
    }

    // The validating field that holds the focus and may not be left, if any.
    QLineEdit* StuckField() const {
        for (auto [field, leave] : Fields()) {
            if (field->hasFocus() && !leave(field->text().toStdString())) {
                return field;
            }
        }
        return nullptr;
    }

    bool Visible() const { return dialog_->isVisible(); }
    bool ClosedWithOk() const { return !dialog_->isVisible() && dialog_->optOKCancel; }

    std::string Broken() const {
        if (!active_) {
            return "the dialog did not become active";
        }
        const std::int64_t maxWidth =
            std::min(rules::kMaxWidth, rules::PixelCount(fileSize_, modBITMAPinfo::kDepth2));
        struct Range {
            QLineEdit* field;
            std::int64_t lo, hi;
        };
        const std::int64_t off = rules::kOffsetLimit - 1;
        for (const Range& r : {Range{width_, 1, maxWidth},
                               {magX_, rules::kMinMagnification, rules::kMaxMagnification},
                               {magY_, rules::kMinMagnification, rules::kMaxMagnification},
                               {offset_, -off, off}}) {
            const std::string name = r.field->objectName().toStdString();
            if (!PlainIn(toolkit::Tag(r.field), r.lo, r.hi)) {
                return name + " accepted " + toolkit::Tag(r.field).toStdString();
            }
            if (!HoldableIn(r.field->text(), r.lo, r.hi)) {
                return name + " holds " + r.field->text().toStdString();
            }
        }
        if (!dialog_->isVisible() && dialog_->optOKCancel) {
            const auto& s = gDib.settings;
            if (s.gPicWidth < 1 || s.gPicWidth > maxWidth || s.gPicHeight < 1 || s.gMagX < 1 ||
                s.gMagX > 8 || s.gMagY < 1 || s.gMagY > 8 || s.gOffA < -off || s.gOffA > off ||
                s.gColBit < 0 || s.gColBit > 2 || s.gPalColor < 0 || s.gPalColor > 6) {
                return "OK wrote settings out of range";
            }
        }
        const auto* order = dialog_->findChild<QComboBox*>("cmbPICARRAY");
        if (order->isEnabled() &&
            (order->currentIndex() < 0 || order->currentIndex() >= order->count())) {
            return "no pixel order chosen";
        }
        for (const modBITMAPinfo::RGBQUAD& c : modCLUT::gCustomPal.colors) {
            if (c.rgbReserved != 0) {
                return "a reserved byte of the custom palette was written";
            }
        }
        for (const std::uint8_t b : modCLUT::gCustomPal.header) {
            if (b != 0) {
                return "the custom palette's header area was written";
            }
        }
        return "";
    }

  private:
    using Leave = std::optional<std::int64_t> (*)(std::string_view);
    std::vector<std::pair<QLineEdit*, Leave>> Fields() const {
        return {{width_, rules::WidthOnLeave},
                {magX_, rules::MagnificationOnLeave},
                {magY_, rules::MagnificationOnLeave},
                {offset_, rules::OffsetOnLeave}};
    }

    void Open() {
        static const std::int64_t kSizes[] = {1, 3, 127, 1000, 65537, 0x7EFFFFFF};
        if (!dialog_ || Pick(2) == 0) {
            fileSize_ = kSizes[Pick(std::size(kSizes))];
            modBITMAPinfo::SetForNewFile(gDib.settings, "/data/monkey.bin", fileSize_);
        }
        dialog_ = std::make_unique<frmOptMenu>();
        dialog_->findChild<QPushButton*>("cmdCANCEL")->setEnabled(true);  // as its callers do
        dialog_->show();
        dialog_->activateWindow();
        active_ = QTest::qWaitForWindowActive(dialog_.get());
        width_ = dialog_->findChild<QLineEdit*>("tbxWIDTH");
        magX_ = dialog_->findChild<QLineEdit*>("tbxMagX");
        magY_ = dialog_->findChild<QLineEdit*>("tbxMagY");
        offset_ = dialog_->findChild<QLineEdit*>("tbxOFFa");
    }

    int Pick(std::size_t n) { return hands_.Pick(n); }

    QWidget* FocusOrDialog() const {
        QWidget* focus = QApplication::focusWidget();
        return focus && focus->window() == dialog_.get() ? focus : dialog_.get();
    }

    std::string TypeText() {
        return hands_.Type(FocusOrDialog(), "01234567890123456789.-+eE x", 5, 3);
    }

    std::string PressKey() {
        static const Qt::Key kKeys[] = {
            Qt::Key_Up,   Qt::Key_Down,      Qt::Key_Up,     Qt::Key_Down,
            Qt::Key_Left, Qt::Key_Right,     Qt::Key_Tab,    Qt::Key_Backtab,
            Qt::Key_Tab,  Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Home,
            Qt::Key_End,  Qt::Key_Space,     Qt::Key_Return, Qt::Key_Escape};
        return hands_.Press(dialog_.get(), FocusOrDialog(), kKeys);
    }

    std::string AccessKey() {
        static const Qt::Key kKeys[] = {Qt::Key_H, Qt::Key_W, Qt::Key_X, Qt::Key_S, Qt::Key_Y,
                                        Qt::Key_L, Qt::Key_I, Qt::Key_T, Qt::Key_A, Qt::Key_Z,
                                        Qt::Key_P, Qt::Key_K, Qt::Key_B, Qt::Key_R, Qt::Key_E,
                                        Qt::Key_Q, Qt::Key_C, Qt::Key_O};
        return hands_.AccessKey(dialog_.get(), kKeys);
    }

    std::string ClickControl() {
        static const char* const kNames[] = {
            "tbxWIDTH",     "tbxMagX",      "tbxMagY",        "tbxOFFa",        "cbxSynXY",
            "cbxOFFSET",    "optCOLBIT(0)", "optCOLBIT(1)",   "optCOLBIT(2)",   "optWIDHGT(0)",
            "optWIDHGT(1)", "cmbPICARRAY",  "optPALCOLOR(0)", "optPALCOLOR(3)", "optPALCOLOR(6)",
            "cmdPALcustom", "cmbCLUT",      "cmdOK",          "cmdCANCEL",      "tbxWIDTH"};
        const char* name = kNames[Pick(std::size(kNames))];
        hands_.Click(dialog_->findChild<QWidget*>(QString::fromLatin1(name)));
        return std::string("click on ") + name;
    }

    testing::MonkeyHands hands_;
    QTimer closer_;
    std::unique_ptr<frmOptMenu> dialog_;
    std::int64_t fileSize_ = 1000;
    bool active_ = false;
    QLineEdit* width_ = nullptr;
    QLineEdit* magX_ = nullptr;
    QLineEdit* magY_ = nullptr;
    QLineEdit* offset_ = nullptr;
};

TEST(SettingsDialogMonkey, KeepsEveryFieldAndTheSettingsValid) {
    const auto plan = testing::MonkeyPlan::FromEnvironment(20261207);
    for (std::uint64_t seed = plan.firstSeed; seed < plan.firstSeed + plan.seeds; ++seed) {
        gDib = {};
        modCLUT::gCustomPal = {};
        Monkey monkey(seed);
        QLineEdit* stuck = nullptr;  // the field that may not be left before this event
        auto step = [&] {
            stuck = monkey.StuckField();
            return monkey.Act();
        };
        auto broken = [&] {
            std::string fault = monkey.Broken();
            QWidget* now = QApplication::focusWidget();
            if (fault.empty() && stuck && monkey.Visible() && now != stuck && now &&
                toolkit::CausesValidation(now)) {
                fault = now->objectName().toStdString() + " took the focus from " +
                        stuck->objectName().toStdString() + " while it held \"" +
                        stuck->text().toStdString() + "\"";
            }
            if (fault.empty() && stuck && monkey.ClosedWithOk()) {
                fault = "OK closed the dialog while " + stuck->objectName().toStdString() +
                        " held \"" + stuck->text().toStdString() + "\"";
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
