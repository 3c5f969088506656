#include "toolkit/LongWork.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QProgressDialog>
#include <QWindow>

namespace rastel::toolkit {

namespace {

LongWorkProbe& Probe() {
    static LongWorkProbe probe;
    return probe;
}

constexpr int kSteps = 1000;    // QProgressDialog counts in int
constexpr int kMomentMs = 500;  // work shorter than this shows no dialog

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::InputMethod:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// Lets the user's input through to the progress dialog only. Qt's own modality would do
// that once the dialog shows; until then this is all that keeps Ctrl+L or a drop from
// running a second load inside this one. Installed last, it sees events before any other
// filter of the application (the wheel hook's among them).
class InputGate : public QObject {
  public:
    explicit InputGate(QWidget* open) : mOpen(open) {
        QCoreApplication::instance()->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsUserInput(event->type()) || Inside(watched)) {
            return false;
        }
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
                static_cast<QDropEvent*>(event)->setDropAction(Qt::IgnoreAction);
                event->ignore();  // the drag is refused
                break;
            case QEvent::Close:
                event->ignore();  // the window stays: an accepted close would go ahead
                break;
            default:
                event->accept();  // used up here, so it is not offered to the parents
                break;
        }
        return true;
    }

  private:
    bool Inside(QObject* watched) const {
        if (watched->isWidgetType()) {
            return static_cast<QWidget*>(watched)->window() == mOpen;
        }
        return watched->isWindowType() && watched == mOpen->windowHandle();
    }

    QWidget* mOpen;
};

}  // namespace

LongWorkProbe SetLongWorkProbe(LongWorkProbe probe) {
    std::swap(Probe(), probe);
    return probe;
}

LongWork::LongWork(QWidget* owner, const QString& label, std::int64_t total, bool showNow)
    : mDialog(
          std::make_unique<QProgressDialog>(label, QStringLiteral("キャンセル"), 0, kSteps, owner)),
      mGate(std::make_unique<InputGate>(mDialog.get())),
      mLabel(label),
      mTotal(std::max<std::int64_t>(total, 1)) {
    mDialog->setWindowTitle(QStringLiteral("rastel"));
    mDialog->setWindowModality(Qt::WindowModal);
    mDialog->setAutoReset(false);
    mDialog->setAutoClose(false);
    mDialog->setMinimumDuration(showNow ? 0 : kMomentMs);
    mDialog->setValue(0);
    if (showNow) {
        mDialog->show();
    }
}

LongWork::~LongWork() = default;

bool LongWork::Advance(std::int64_t done) {
    if (mCancelled) {
        return false;
    }
    mDialog->setValue(static_cast<int>(std::min(done, mTotal) * kSteps / mTotal));
    QCoreApplication::processEvents();
    if (Probe() && Probe()(mLabel, done, mTotal, mDialog->isVisible())) {
        mDialog->cancel();
    }
    mCancelled = mDialog->wasCanceled();
    return !mCancelled;
}

}  // namespace rastel::toolkit
