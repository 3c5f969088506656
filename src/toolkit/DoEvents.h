// Lets pending window events run from inside a handler.
#pragma once

#include <QEventLoop>

namespace rastel::toolkit {

// With ExcludeUserInputEvents the window repaints but no click or key can start another
// handler in the middle of this one.
void DoEvents(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

}  // namespace rastel::toolkit
