#include "view/modAPIwheel.h"

#include <QApplication>
#include <QWheelEvent>

#include "view/PictureBoxes.h"

namespace rastel::modAPIwheel {

QWidget* gHookedWnd = nullptr;

namespace {

// Sees wheel events before any widget does, so each one counts once: a child that ignored
// one would otherwise hand it on to its parent.
class WheelFilter : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || gHookedWnd == nullptr || !watched->isWidgetType()) {
            return false;
        }
        if (static_cast<QWidget*>(watched)->window() != gHookedWnd) {
            return false;
        }
        WheelWndProc(*static_cast<QWheelEvent*>(event));
        return true;
    }
};

WheelFilter* gFilter = nullptr;
KeyDown gKeyDown;

}  // namespace

void HookWheel(QWidget* window, KeyDown keyDown) {
    if (gHookedWnd != nullptr || window == nullptr) {
        return;
    }
    gKeyDown = std::move(keyDown);
    gFilter = new WheelFilter;
    QApplication::instance()->installEventFilter(gFilter);
    gHookedWnd = window;
}

void UnhookWheel() {
    if (gHookedWnd == nullptr) {
        return;
    }
    delete gFilter;  // deleting a filter removes it
    gFilter = nullptr;
    gHookedWnd = nullptr;
    gKeyDown = nullptr;
}

void WheelWndProc(const QWheelEvent& event) {
    // Alt turns the wheel sideways under X11: whichever axis moved tells the direction.
    const QPoint angle = event.angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    const int shift = ShiftState(event.modifiers()) & 3;  // the wheel knows no Alt
    gKeyDown(delta > 0 ? Qt::Key_Up : Qt::Key_Down, shift);
}

}  // namespace rastel::modAPIwheel
