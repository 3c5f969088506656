// Turns every wheel turn over the main window, whichever child it lands on, into one Up or
// Down key press of the viewport, so the wheel scrolls by the same steps as the keys.
#pragma once

#include <functional>

class QWheelEvent;
class QWidget;

namespace rastel::modAPIwheel {

// The hooked window; only one at a time.
extern QWidget* gHookedWnd;

// A key press of the hooked window: a Qt::Key, and the modifier set (1 Shift, 2 Ctrl).
using KeyDown = std::function<void(int KeyCode, int Shift)>;

// Hooks window, whose wheel turns become calls of keyDown, unless a window is hooked already.
void HookWheel(QWidget* window, KeyDown keyDown);
void UnhookWheel();

// One wheel event over the hooked window: Up when turned away from the user, else Down,
// with Shift and Ctrl as modifiers.
void WheelWndProc(const QWheelEvent& event);

}  // namespace rastel::modAPIwheel
