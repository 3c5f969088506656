#include "toolkit/DeferredTimer.h"

namespace rastel::toolkit {

DeferredTimer::DeferredTimer(QObject* parent, int intervalMs) : QObject(parent) {
    mTimer.setSingleShot(true);
    mTimer.setInterval(intervalMs);
    connect(&mTimer, &QTimer::timeout, this, &DeferredTimer::Tick);
}

void DeferredTimer::SetEnabled(bool enabled) {
    if (!enabled) {
        mTimer.stop();
        mTicking = false;
    } else if (!mTicking && !mTimer.isActive()) {
        mTimer.start();
    }
}

void DeferredTimer::Tick() {
    mTicking = true;
    emit Timer();
    mTicking = false;
}

}  // namespace rastel::toolkit
