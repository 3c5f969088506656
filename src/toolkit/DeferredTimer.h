// A timer that, once enabled, ticks once when events are next processed and then rests
// until it is enabled again, so a long handler on its tick can never be entered twice.
#pragma once

#include <QObject>
#include <QTimer>

namespace rastel::toolkit {

class DeferredTimer : public QObject {
    Q_OBJECT

  public:
    explicit DeferredTimer(QObject* parent = nullptr, int intervalMs = 1);

    bool Enabled() const { return mTimer.isActive() || mTicking; }
    void SetEnabled(bool enabled);

  signals:
    void Timer();

  private:
    void Tick();

    QTimer mTimer;
    bool mTicking = false;
};

}  // namespace rastel::toolkit
