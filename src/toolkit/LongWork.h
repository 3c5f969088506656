// A progress dialog with a Cancel button for work that may take a while. Between steps the
// pending events run, so the windows behind it keep painting. From the moment the work starts
// until it ends, whether the dialog shows yet or not, no key, click, wheel, drop or close
// reaches any window but the dialog: nothing can start other work, or free what this work
// reads, in the middle of it.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QObject;
class QProgressDialog;
class QWidget;

namespace rastel::toolkit {

class LongWork {
  public:
    // Shown at once when showNow; otherwise only once the work has lasted a moment.
    LongWork(QWidget* owner, const QString& label, std::int64_t total, bool showNow);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Reports how much is done and lets pending events run; false once the user cancelled.
    bool Advance(std::int64_t done);

  private:
    std::unique_ptr<QProgressDialog> mDialog;
    std::unique_ptr<QObject> mGate;
    QString mLabel;
    std::int64_t mTotal;
    bool mCancelled = false;
};

// Tests watch every step through a probe; its true answer cancels as the button would.
using LongWorkProbe =
    std::function<bool(const QString& label, std::int64_t done, std::int64_t total, bool shown)>;
// Installs probe (empty: none); returns the previous one.
LongWorkProbe SetLongWorkProbe(LongWorkProbe probe);

}  // namespace rastel::toolkit
