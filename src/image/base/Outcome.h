// What became of work that can fail: done, or why not, with the number the system knows that
// failure by. Checks and reads of a file fail the system's way only; writing a picture has
// reasons of its own besides, which the window and the renderer each say in their own words.
#pragma once

#include <cerrno>
#include <string>
#include <utility>

namespace rastel::core {

struct Outcome {
    enum class Why {
        kDone,
        kSystem,       // a call to the system failed: error is its error number
        kCancelled,    // the progress callback asked to stop
        kTooLarge,     // the picture is larger than the file format can describe
        kOutOfMemory,  // the memory to work in could not be had
        kUnreadable,   // the bytes the picture is made of could not be read: the read's failure
    };

    int error = 0;       // 0 when done; a failure is never 0, and its own reasons take the
                         // system's numbers for the condition (ECANCELED, EFBIG, ENOMEM)
    std::string reason;  // what failed, for the messages that name the cause
    Why why = error == 0 ? Why::kDone : Why::kSystem;  // a failure given by its number alone

    bool ok() const { return error == 0; }

    static Outcome Cancelled() { return {ECANCELED, "cancelled", Why::kCancelled}; }
    static Outcome TooLarge(std::string reason) {
        return {EFBIG, std::move(reason), Why::kTooLarge};
    }
    static Outcome OutOfMemory(std::string reason) {
        return {ENOMEM, std::move(reason), Why::kOutOfMemory};
    }
    // A read that failed, as its source reported it.
    static Outcome Unreadable(Outcome read) {
        read.error = read.error != 0 ? read.error : EIO;  // a source that failed without a word
        read.why = Why::kUnreadable;
        return read;
    }
};

}  // namespace rastel::core
