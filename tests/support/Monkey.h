// Monkeys: a seeded stream of random events, with the window's rules checked after every
// event. A failure names its seed, its event and the dozen events before it; the same seed
// replays it. The test command runs one seed of a fixed number of events; RASTEL_MONKEY_SEED,
// RASTEL_MONKEY_SEEDS and RASTEL_MONKEY_EVENTS ask for other and longer runs. DialogMonkey
// plays a dialog with keys, typed texts, clicks and its own moves, through the widgets and
// through the window, opening it afresh once closed.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QKeySequence>
#include <QWindow>
#include <deque>
#include <numeric>
#include <random>

#include "image/rules/FieldRules.h"
#include "support/Widgets.h"
#include "toolkit/Tag.h"
#include "toolkit/Validation.h"

namespace rastel::testing {

// A number field: what it accepted (its tag) is a plain whole number from lo to hi; its text
// is empty while typing, else a number whose whole part is in range (the tag itself when
// strict); mayLeave tells whether the focus may go.
struct MonkeyField {
    QLineEdit* field;
    std::int64_t lo, hi;
    bool strict;
    std::function<bool(const std::string&)> mayLeave;
};

class Monkey {
  public:
    virtual ~Monkey() = default;

    void Run(std::uint64_t firstSeed, std::uint64_t events = 2000) {
        auto number = [](const char* name, std::uint64_t fallback) {
            bool ok = false;
            const std::uint64_t value = qEnvironmentVariable(name).toULongLong(&ok);
            return ok ? value : fallback;
        };
        const std::uint64_t first = number("RASTEL_MONKEY_SEED", firstSeed);
        events = number("RASTEL_MONKEY_EVENTS", events);
        for (std::uint64_t seed = first; seed < first + number("RASTEL_MONKEY_SEEDS", 1); ++seed) {
            rng_.seed(seed);
            Start();
            std::deque<std::string> story;
            for (std::uint64_t n = 0; n < events; ++n) {
                story.push_back("\n  " + Act());
                if (story.size() > 12) {
                    story.pop_front();
                }
                if (const std::string fault = Fault(); !fault.empty()) {
                    ADD_FAILURE() << fault << "\nseed " << seed << ", event " << n << ", after:"
                                  << std::accumulate(story.begin(), story.end(), std::string());
                    return;
                }
            }
        }
    }

  protected:
    virtual void Start() = 0;         // before each seed
    virtual std::string Act() = 0;    // plays one event and tells it
    virtual std::string Fault() = 0;  // the rule the event broke; "" while all hold

    int Pick(std::size_t n) { return static_cast<int>(rng_() % n); }
    // A point inside w, in the coordinates of its window.
    QPoint PointIn(const QWidget* w) {
        return w->mapTo(w->window(),
                        QPoint(Pick(std::max(1, w->width())), Pick(std::max(1, w->height()))));
    }

  private:
    std::mt19937_64 rng_;
};

class DialogMonkey : public Monkey {
  protected:
    virtual QDialog* Open() = 0;  // a fresh dialog, shown, kept by the monkey until the next
    virtual std::vector<MonkeyField> Fields() const = 0;
    virtual std::string Broken() const { return ""; }  // the dialog's own rules: "" when kept

    std::string typed_;  // the characters typed into fields
    std::vector<Qt::Key> keys_, accessKeys_;
    std::vector<const char*> controls_;  // object names of the controls clicked
    std::string rightClicked_;           // the one of them also clicked with the right button

    QDialog* dialog() const { return dialog_; }

  private:
    void Start() override { dialog_ = nullptr; }
    std::string Act() override {
        stuck_ = StuckField();
        if (!dialog_ || !dialog_->isVisible()) {
            dialog_ = Open();
            dialog_->activateWindow();
            active_ = QTest::qWaitForWindowActive(dialog_);
            return "opened";
        }
        QWidget* focus = QApplication::focusWidget();
        QWidget* target = focus && focus->window() == dialog_ ? focus : dialog_;
        const int move = Pick(10);
        if (move < 3) {
            QString text;
            for (int n = 1 + Pick(5); n > 0; --n) {
                text += QChar::fromLatin1(typed_[Pick(typed_.size())]);
            }
            if (auto* field = qobject_cast<QLineEdit*>(target); field && Pick(3) == 0) {
                field->selectAll();  // as after a double click
            }
            QTest::keyClicks(target, text);
            return "typed \"" + text.toStdString() + "\" into " +
                   target->objectName().toStdString();
        }
        if (move < 6) {
            const Qt::Key key = keys_[Pick(keys_.size())];
            Pick(2) == 0 ? QTest::keyClick(dialog_->windowHandle(), key)
                         : QTest::keyClick(target, key);
            return "key " + QKeySequence(key).toString().toStdString();
        }
        if (move == 6) {
            // Access keys press buttons after a short animation; it is let end so that each
            // seed plays the same way however busy the machine is.
            const Qt::Key key = accessKeys_[Pick(accessKeys_.size())];
            QTest::keyClick(dialog_, key, Qt::AltModifier);
            static_cast<void>(QTest::qWaitFor([this] {
                const auto buttons = dialog_->findChildren<QAbstractButton*>();
                return !dialog_->isVisible() ||
                       std::none_of(buttons.begin(), buttons.end(),
                                    [](const QAbstractButton* b) { return b->isDown(); });
            }));
            return "Alt+" + QKeySequence(key).toString().toStdString();
        }
        // A click through the window at a random point or straight at the control's centre;
        // now and then with the right button where it means something.
        const char* name = controls_[Pick(controls_.size())];
        // A name is one control, or a whole array of which any element is clicked.
        QList<QWidget*> all = toolkit::Elements<QWidget>(dialog_, name);
        if (all.isEmpty()) {
            all = dialog_->findChildren<QWidget*>(name);
        }
        QWidget* w = all[Pick(all.size())];
        const Qt::MouseButton button =
            name == rightClicked_ && Pick(3) == 0 ? Qt::RightButton : Qt::LeftButton;
        Pick(2) == 0 ? QTest::mouseClick(dialog_->windowHandle(), button, {}, PointIn(w))
                     : QTest::mouseClick(w, button, {}, w->rect().center());
        return std::string(button == Qt::RightButton ? "right click on " : "click on ") + name;
    }

    // The field that holds the focus and may not be left, if any.
    QLineEdit* StuckField() const {
        for (const MonkeyField& f : dialog_ && dialog_->isVisible() ? Fields() : NoFields()) {
            if (f.field->hasFocus() && !f.mayLeave(f.field->text().toStdString())) {
                return f.field;
            }
        }
        return nullptr;
    }
    static std::vector<MonkeyField> NoFields() { return {}; }

    std::string Fault() override {
        if (!active_) {
            return "the dialog did not become active";
        }
        for (const MonkeyField& f : Fields()) {
            const QString tag = toolkit::Tag(f.field), text = f.field->text();
            const std::int64_t value = tag.toLongLong();
            const std::optional<double> number = fieldRules::ParseNumber(text.toStdString());
            const std::int64_t whole = number ? fieldRules::WholePart(*number) : f.lo - 1;
            if (QString::number(value) != tag || value < f.lo || value > f.hi ||
                (!text.isEmpty() && (f.strict ? text != tag : whole < f.lo || whole > f.hi))) {
                return f.field->objectName().toStdString() + " holds \"" + text.toStdString() +
                       "\", accepted \"" + tag.toStdString() + "\"";
            }
        }
        const std::string held = stuck_ ? stuck_->objectName().toStdString() + " held \"" +
                                              stuck_->text().toStdString() + "\""
                                        : "";
        QWidget* now = QApplication::focusWidget();
        if (stuck_ && dialog_->isVisible() && now && now != stuck_ &&
            toolkit::CausesValidation(now)) {
            return now->objectName().toStdString() + " took the focus while " + held;
        }
        if (stuck_ && !dialog_->isVisible() && dialog_->result() == QDialog::Accepted) {
            return "accepted while " + held;
        }
        return Broken();
    }

    QDialog* dialog_ = nullptr;
    QLineEdit* stuck_ = nullptr;  // the field that could not be left before the event
    bool active_ = false;
};

}  // namespace rastel::testing
