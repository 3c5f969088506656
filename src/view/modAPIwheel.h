// Turns every wheel turn over the main window, whichever child it lands on, into one Up or
// Down key press of the viewport, so the wheel scrolls by the same steps as the keys.
#pragma once

class QEvent;
class QWheelEvent;

namespace rastel {
class frmMainView;
}

namespace rastel::modAPIwheel {

// The hooked window; only one at a time.
extern frmMainView* gHookedWnd;

// Hooks window unless a window is hooked already.
void HookWheel(frmMainView* window);
void UnhookWheel();

// One wheel event over the hooked window: Up when turned away from the user, else Down,
// with Shift and Ctrl as modifiers.
void WheelWndProc(const QWheelEvent& event);

}  // namespace rastel::modAPIwheel
