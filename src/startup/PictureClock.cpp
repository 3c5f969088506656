#include "startup/PictureClock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>

namespace rastel::modSTARTUP {

namespace {

using Clock = std::chrono::steady_clock;

class PictureClock : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched->objectName() == "frmOptMenu") {
            mOk = Clock::now();
            mArmed = true;
        } else if (mArmed && event->type() == QEvent::Paint && watched->objectName() == "picPICT") {
            mArmed = false;
            // Told once the event loop runs again, when the painted window has gone out.
            QTimer::singleShot(0, this, [ok = mOk] {
                std::fprintf(stderr, "rastel: picture painted %.3f s after OK\n",
                             std::chrono::duration<double>(Clock::now() - ok).count());
            });
        }
        return false;
    }

  private:
    Clock::time_point mOk;
    bool mArmed = false;
};

}  // namespace

void StartPictureClock() {
    if (qEnvironmentVariableIsSet("RASTEL_PICTURE_CLOCK")) {
        auto* clock = new PictureClock;
        clock->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(clock);
    }
}

}  // namespace rastel::modSTARTUP
