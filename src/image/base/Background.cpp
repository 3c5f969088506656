#include "image/base/Background.h"

#include <sys/resource.h>
#include <unistd.h>

namespace rastel::core {

namespace {

StartFaults& Faults() {
    static StartFaults faults;
    return faults;
}

}  // namespace

void SetStartFaults(StartFaults faults) {
    Faults() = std::move(faults);
}

int StartFault(const char* work) {
    return Faults() ? Faults()(work) : 0;
}

void LowerThisThreadsPriority() {
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
}

}  // namespace rastel::core
