#include "toolkit/Clicks.h"

#include <QMouseEvent>
#include <QWidget>

namespace rastel::toolkit {

ClickSignals::ClickSignals(QWidget* widget) : QObject(widget) {
    widget->installEventFilter(this);
    widget->setAttribute(Qt::WA_NoMousePropagation);
}

bool ClickSignals::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parent()) {
        return false;
    }
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) {
        return false;
    }
    if (type == QEvent::MouseButtonPress) {
        mPressed = true;
    } else if (type == QEvent::MouseButtonDblClick) {
        // The release that ends a double click is not a click of its own.
        mPressed = false;
        emit doubleClicked();
    } else if (mPressed) {
        mPressed = false;
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->rect().contains(mouse->position().toPoint())) {
            emit clicked();
        }
    }
    return false;
}

ClickSignals* Clicks(QWidget* widget) {
    if (auto* existing = widget->findChild<ClickSignals*>(QString(), Qt::FindDirectChildrenOnly)) {
        return existing;
    }
    return new ClickSignals(widget);
}

}  // namespace rastel::toolkit
