// Driving a window shown with exec() from inside its modal loop.
#pragma once

#include <QDialog>
#include <QThread>
#include <QTimer>

#include <functional>

namespace rastel::testing {

// Runs the action once the dialog's modal loop runs. A queued call can be delivered while
// exec() is still showing the dialog, and closing it then leaves exec() waiting for ever.
inline void OnceModal(QDialog* dialog, std::function<void()> action) {
    auto* poll = new QTimer(dialog);
    poll->setInterval(0);
    QObject::connect(poll, &QTimer::timeout, dialog, [dialog, poll, action] {
        if (QThread::currentThread()->loopLevel() == 0 || !dialog->isVisible()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        action();
    });
    poll->start();
}

// Ends a modal loop that the window under test failed to end, so a fault fails the test
// instead of hanging it. Showing it again first lets close() end exec() even when the dialog
// was hidden before its loop began.
struct Watchdog {
    explicit Watchdog(QDialog* dialog) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, dialog, [this, dialog] {
            fired = true;
            dialog->show();
            dialog->close();
        });
        timer.start(60000);
    }
    QTimer timer;
    bool fired = false;
};

}  // namespace rastel::testing
