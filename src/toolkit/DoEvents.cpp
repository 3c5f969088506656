#include "toolkit/DoEvents.h"

#include <QCoreApplication>

namespace rastel::toolkit {

void DoEvents(QEventLoop::ProcessEventsFlags flags) {
    QCoreApplication::processEvents(flags);
}

}  // namespace rastel::toolkit
