#include "toolkit/LongWork.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace rastel::toolkit {

namespace {

LongWorkProbe& Probe() {
    static LongWorkProbe probe;
    return probe;
}

constexpr int kSteps = 1000;    // QProgressDialog counts in int
constexpr int kMomentMs = 500;  // work shorter than this shows no dialog

}  // namespace

LongWorkProbe SetLongWorkProbe(LongWorkProbe probe) {
    std::swap(Probe(), probe);
    return probe;
}

LongWork::LongWork(QWidget* owner, const QString& label, std::int64_t total, bool showNow)
    : dialog_(
          std::make_unique<QProgressDialog>(label, QStringLiteral("キャンセル"), 0, kSteps, owner)),
      label_(label),
      total_(std::max<std::int64_t>(total, 1)) {
    dialog_->setWindowTitle(QStringLiteral("rastel"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setMinimumDuration(showNow ? 0 : kMomentMs);
    dialog_->setValue(0);
    if (showNow) {
        dialog_->show();
    }
}

LongWork::~LongWork() = default;

bool LongWork::Advance(std::int64_t done) {
    if (cancelled_) {
        return false;
    }
    dialog_->setValue(static_cast<int>(std::min(done, total_) * kSteps / total_));
    QCoreApplication::processEvents();
    if (Probe() && Probe()(label_, done, total_, dialog_->isVisible())) {
        dialog_->cancel();
    }
    cancelled_ = dialog_->wasCanceled();
    return !cancelled_;
}

}  // namespace rastel::toolkit
