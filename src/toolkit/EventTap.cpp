#include "toolkit/EventTap.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace rastel::toolkit {

EventTap::EventTap(QWidget* control) : QObject(control) {
    control->installEventFilter(this);
}

bool EventTap::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            emit keyDown(key->key(), key->modifiers());
            break;
        }
        case QEvent::FocusIn:
            emit gotFocus();
            break;
        case QEvent::FocusOut:
            emit lostFocus();
            break;
        case QEvent::MouseButtonPress: {  // Qt 6 sends a press for a double click's second one too
            const auto* mouse = static_cast<QMouseEvent*>(event);
            emit mouseDown(mouse->button(), mouse->modifiers(), mouse->position().toPoint());
            break;
        }
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            emit mouseMove(mouse->buttons(), mouse->modifiers(), mouse->position().toPoint());
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

EventTap* FindEvents(const QWidget* control) {
    return control->findChild<EventTap*>(QString(), Qt::FindDirectChildrenOnly);
}

EventTap* Events(QWidget* control) {
    EventTap* tap = FindEvents(control);
    return tap ? tap : new EventTap(control);
}

}  // namespace rastel::toolkit
