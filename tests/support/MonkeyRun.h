// The loop shared by the monkey tests: seeded streams of random events into a window, with the
// window's rules checked after each one.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QKeySequence>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

namespace rastel::testing {

// Seeds and length of a run: a fixed seed in the test command, more through
// RASTEL_MONKEY_SEED, RASTEL_MONKEY_SEEDS and RASTEL_MONKEY_EVENTS.
struct MonkeyPlan {
    std::uint64_t firstSeed;
    std::uint64_t seeds;
    std::uint64_t events;

    static MonkeyPlan FromEnvironment(std::uint64_t defaultSeed) {
        auto number = [](const char* name, std::uint64_t fallback) {
            bool ok = false;
            const std::uint64_t value = qEnvironmentVariable(name).toULongLong(&ok);
            return ok ? value : fallback;
        };
        return {number("RASTEL_MONKEY_SEED", defaultSeed), number("RASTEL_MONKEY_SEEDS", 1),
                number("RASTEL_MONKEY_EVENTS", 2000)};
    }
};

// The moves both monkeys make, drawn from one seeded generator.
class MonkeyHands {
  public:
    explicit MonkeyHands(std::uint64_t seed) : rng_(seed) {}

    int Pick(std::size_t n) { return static_cast<int>(rng_() % n); }

    // A point inside w, in the coordinates of its window.
    QPoint PointIn(const QWidget* w) {
        const QPoint local(Pick(static_cast<std::size_t>(std::max(1, w->width()))),
                           Pick(static_cast<std::size_t>(std::max(1, w->height()))));
        return w->mapTo(w->window(), local);
    }

    // 1 to maxLength keys drawn from keys, typed into target; one time in selectAllOneIn
    // over its whole text, as after a double click.
    std::string Type(QWidget* target, std::string_view keys, int maxLength, int selectAllOneIn) {
        QString text;
        for (int n = 1 + Pick(static_cast<std::size_t>(maxLength)); n > 0; --n) {
            text += QChar::fromLatin1(keys[static_cast<std::size_t>(Pick(keys.size()))]);
        }
        if (auto* field = qobject_cast<QLineEdit*>(target);
            field && Pick(static_cast<std::size_t>(selectAllOneIn)) == 0) {
            field->selectAll();
        }
        QTest::keyClicks(target, text);
        return "typed \"" + text.toStdString() + "\" into " + target->objectName().toStdString();
    }

    // One of keys, through the window as the platform sends it, or straight to target.
    std::string Press(QWidget* window, QWidget* target, std::span<const Qt::Key> keys) {
        const Qt::Key key = keys[static_cast<std::size_t>(Pick(keys.size()))];
        if (Pick(2) == 0) {
            QTest::keyClick(window->windowHandle(), key);
        } else {
            QTest::keyClick(target, key);
        }
        return "key " + QKeySequence(key).toString().toStdString();
    }

    // Alt with one of keys. Access keys press buttons after a short animation; it is let end
    // so that each seed plays the same way however busy the machine is.
    std::string AccessKey(QWidget* window, std::span<const Qt::Key> keys) {
        const Qt::Key key = keys[static_cast<std::size_t>(Pick(keys.size()))];
        QTest::keyClick(window, key, Qt::AltModifier);
        // No verdict here: a press still pending shows up in the checks that follow.
        static_cast<void>(QTest::qWaitFor([window] {
            if (!window->isVisible()) {
                return true;
            }
            const auto buttons = window->findChildren<QAbstractButton*>();
            return std::none_of(buttons.begin(), buttons.end(),
                                [](const QAbstractButton* b) { return b->isDown(); });
        }));
        return "Alt+" + QKeySequence(key).toString().toStdString();
    }

    // A left click on w: through its window at a random point, or straight at its centre.
    void Click(QWidget* w) {
        if (Pick(2) == 0) {
            QTest::mouseClick(w->window()->windowHandle(), Qt::LeftButton, {}, PointIn(w));
        } else {
            QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
        }
    }

  private:
    std::mt19937_64 rng_;
};

// Runs events steps: step() sends one event and describes it, broken() says what rule the
// window now breaks (empty when none). A failure names the seed, the event and the last
// dozen events that led to it. Returns false on a failure.
inline bool RunMonkey(std::uint64_t seed, std::uint64_t events,
                      const std::function<std::string()>& step,
                      const std::function<std::string()>& broken) {
    std::deque<std::string> recent;
    for (std::uint64_t n = 0; n < events; ++n) {
        recent.push_back(step());
        if (recent.size() > 12) {
            recent.pop_front();
        }
        const std::string fault = broken();
        if (!fault.empty()) {
            std::ostringstream story;
            for (const std::string& event : recent) {
                story << "\n  " << event;
            }
            ADD_FAILURE() << fault << "\nseed " << seed << ", event " << n
                          << ", after:" << story.str();
            return false;
        }
    }
    return true;
}

}  // namespace rastel::testing
