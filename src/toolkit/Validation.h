// Validate-on-focus-loss. A field wired to EventTap::validate is asked before the focus leaves
// it for a control that causes validation; a refusal keeps the focus there and stops the press,
// Tab, access key or Enter that would have moved it. Controls cause validation unless told not
// to (a Cancel button, say). Application routes the user's events through here; focus moved
// by code is caught afterwards and put back.
#pragma once

class QEvent;
class QObject;
class QWidget;

namespace rastel::toolkit {

void SetCausesValidation(QWidget* control, bool causes);
bool CausesValidation(const QWidget* control);

namespace validation {

enum class Verdict { None, Passed, Refused };

// Before the application delivers an event: Refused means drop it. Passed means the focus
// field agreed to let the focus go; call Delivered() once the event is done.
Verdict BeforeDelivery(QObject* receiver, QEvent* event);
void Delivered();

// For QApplication::focusChanged: focus moved by code.
void FocusChanged(QWidget* old, QWidget* now);

}  // namespace validation

}  // namespace rastel::toolkit
