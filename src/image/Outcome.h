// What became of work that can fail, as every part of the program reports it: done, or the
// number of the failure and what failed. Callers that show a message pick its text by the
// number; the reason is for the messages that name the cause.
#pragma once

#include <string>

namespace rastel::core {

struct Outcome {
    int error = 0;  // 0: done; otherwise the system's error number, or a code named by its source
    std::string reason;

    bool ok() const { return error == 0; }
};

}  // namespace rastel::core
