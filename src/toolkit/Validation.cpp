#include "toolkit/Validation.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "toolkit/EventTap.h"

namespace rastel::toolkit {
namespace {

constexpr char kNoValidation[] = "rastelNoValidation";

bool gValidating = false;
// The move a validation just allowed, so that focusChanged does not ask a second time.
QPointer<QWidget> gPassedFrom;
QPointer<QWidget> gPassedTo;

QWidget* Proxied(QWidget* w) {
    while (w && w->focusProxy()) {
        w = w->focusProxy();
    }
    return w;
}

// Whom a press takes the focus to, as QApplication decides it: the first enabled widget up
// from the one pressed that accepts the policy, stopping at the window or at the focus.
QWidget* ClickTarget(QWidget* w, Qt::FocusPolicy policy) {
    for (; w; w = w->parentWidget()) {
        QWidget* p = Proxied(w);
        if (w->isEnabled() && (p->focusPolicy() & policy) == policy) {
            return p;
        }
        if (w->isWindow() || p->hasFocus()) {
            return nullptr;
        }
    }
    return nullptr;
}

QWidget* TabTarget(QWidget* from, bool forward) {
    for (QWidget* w = from;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == from) {
            return nullptr;
        }
        if (w->window() == from->window() && w->isVisible() && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()) {
            return w;
        }
    }
}

QWidget* DefaultButton(QWidget* w) {
    auto* dialog = qobject_cast<QDialog*>(w->window());
    if (!dialog) {
        return nullptr;
    }
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->isDefault() && button->isVisible() && button->isEnabled()) {
            return button;
        }
    }
    return nullptr;
}

// The widget the event would give the focus to, or nullptr when it moves none.
QWidget* FocusTarget(QObject* receiver, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(receiver);
    if (!w) {
        return nullptr;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return ClickTarget(w, Qt::ClickFocus);
        case QEvent::Wheel:
            return ClickTarget(w, Qt::WheelFocus);
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
                return nullptr;
            }
            switch (key->key()) {
                case Qt::Key_Tab:
                    return TabTarget(w, true);
                case Qt::Key_Backtab:
                    return TabTarget(w, false);
                case Qt::Key_Return:
                case Qt::Key_Enter:
                    return DefaultButton(w);
                default:
                    return nullptr;
            }
        }
        case QEvent::Shortcut:
            if (auto* label = qobject_cast<QLabel*>(w)) {
                return Proxied(label->buddy());
            }
            return w->focusPolicy() == Qt::NoFocus ? nullptr : Proxied(w);
        default:
            return nullptr;
    }
}

bool RunValidate(QWidget* field) {
    EventTap* tap = FindEvents(field);
    if (!tap || gValidating) {
        return true;
    }
    bool cancel = false;
    gValidating = true;
    emit tap->validate(&cancel);
    gValidating = false;
    return !cancel;
}

bool Concerns(QWidget* field, QWidget* target) {
    return field && target && target != field && target->window() == field->window() &&
           CausesValidation(target);
}

}  // namespace

void SetCausesValidation(QWidget* control, bool causes) {
    control->setProperty(kNoValidation, causes ? QVariant() : QVariant(true));
}

bool CausesValidation(const QWidget* control) {
    return !control->property(kNoValidation).toBool();
}

namespace validation {

Verdict BeforeDelivery(QObject* receiver, QEvent* event) {
    if (gValidating) {
        return Verdict::None;
    }
    QWidget* field = QApplication::focusWidget();
    QWidget* target = FocusTarget(receiver, event);
    if (!Concerns(field, target)) {
        return Verdict::None;
    }
    if (!RunValidate(field)) {
        return Verdict::Refused;
    }
    gPassedFrom = field;
    gPassedTo = target;
    return Verdict::Passed;
}

void Delivered() {
    gPassedFrom = nullptr;
    gPassedTo = nullptr;
}

void FocusChanged(QWidget* old, QWidget* now) {
    if (old == gPassedFrom && now == gPassedTo) {
        Delivered();
        return;
    }
    if (gValidating || !Concerns(old, now) || !old->isVisible() || !old->isEnabled()) {
        return;
    }
    if (!RunValidate(old)) {
        old->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace validation

}  // namespace rastel::toolkit
