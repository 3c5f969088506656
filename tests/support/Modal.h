// Playing the user in windows shown with exec(), from inside their modal loop.
#pragma once

#include <QDialog>
#include <QThread>

#include "support/Widgets.h"

namespace rastel::testing {

// Runs act in the next modal window of type W once its loop runs and it is active: closing a
// window that exec() is still showing would leave exec() waiting for ever. A window act left
// open is a failure, and is closed so that the test goes on.
template <class W>
class WhenModal {
  public:
    explicit WhenModal(std::function<void(W*)> act) : act_(std::move(act)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Try(); });
        poll_.start(10);
        // No window to play in after a minute: whatever waits for one must not wait for ever.
        QTimer::singleShot(60000, &poll_, [this] {
            for (QWidget* w : poll_.isActive() ? QApplication::topLevelWidgets() : QWidgetList()) {
                if (auto* window = qobject_cast<W*>(w); window && window->isVisible()) {
                    ADD_FAILURE() << "no modal window to play in";
                    window->done(QDialog::Rejected);
                }
            }
        });
    }

  private:
    void Try() {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible() || !window->isActiveWindow() ||
            QThread::currentThread()->loopLevel() == 0) {
            return;
        }
        poll_.stop();
        act_(window);
        // Buttons pressed through their access keys go after a short animation.
        if (!QTest::qWaitFor([window] { return !window->isVisible(); }, 20000)) {
            ADD_FAILURE() << "the window is still open";
            window->done(QDialog::Rejected);
        }
    }

    std::function<void(W*)> act_;
    QTimer poll_;
};

}  // namespace rastel::testing
