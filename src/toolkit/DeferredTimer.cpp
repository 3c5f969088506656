#include "toolkit/DeferredTimer.h"

namespace rastel::toolkit {

DeferredTimer::DeferredTimer(QObject* parent, int intervalMs) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, &DeferredTimer::Tick);
}

void DeferredTimer::SetEnabled(bool enabled) {
    if (!enabled) {
        timer_.stop();
        ticking_ = false;
    } else if (!ticking_ && !timer_.isActive()) {
        timer_.start();
    }
}

void DeferredTimer::Tick() {
    ticking_ = true;
    emit Timer();
    ticking_ = false;
}

}  // namespace rastel::toolkit
