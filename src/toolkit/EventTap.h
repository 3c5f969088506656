// Turns a control's events into signals, so a window wires them to its named handlers in
// wireEvents() without subclassing the control. The events still reach the control as usual.
#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace rastel::toolkit {

class EventTap : public QObject {
    Q_OBJECT
  public:
    explicit EventTap(QWidget* control);

  signals:
    // Before the control's own handling, so a key keeps its ordinary effect.
    void keyDown(int key, Qt::KeyboardModifiers shift);
    void gotFocus();
    void lostFocus();
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint pos);
    // The focus is about to leave the control for one that causes validation (Validation.h);
    // setting *cancel keeps it in the control.
    void validate(bool* cancel);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The control's tap, made on first use; it lives as long as the control.
EventTap* Events(QWidget* control);

// The control's tap if it has one.
EventTap* FindEvents(const QWidget* control);

}  // namespace rastel::toolkit
