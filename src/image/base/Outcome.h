// What became of work that can fail, the one result of every operation of the core that can:
// done, or why not (a kind from one list), with the number the system knows that failure by
// and a detail. The window and the renderer each say the kinds in their own words, each in
// one place.
#pragma once

#include <cerrno>
#include <optional>
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
        // A file the program does not take (CheckInputFile).
        kFolder,
        kNotRegular,  // a FIFO would block the read, a device never ends
        kEmpty,
        kFileTooLarge,  // beyond what the picture's size fields hold
        // Settings that make no picture of the file.
        kBadSize,         // a width or height below 1
        kFileTooShort,    // not even one pixel's bytes
        kWidthTooSmall,   // below 1
        kWidthTooLarge,   // above the pixel count
        kStrideTooSmall,  // neither 0 nor a whole row's bytes
        kStrideTooLarge,  // above kMaxStride
        kFrameTooTall,    // a frame's luma longer than the file, or a frame height below 0
        kOffsetTooLarge,  // not strictly inside +-kOffsetLimit
    };

    int error = 0;       // 0 when done; a failure is never 0, and its own reasons take the
                         // system's numbers for the condition (ECANCELED, EFBIG, ENOMEM)
    std::string reason;  // what failed, for the messages that name the cause
    Why why = error == 0 ? Why::kDone : Why::kSystem;  // a failure given by its number alone

    bool ok() const { return error == 0; }

    static Outcome Cancelled() { return {ECANCELED, "cancelled", Why::kCancelled}; }
    // A refusal of the core's own: its kind, with the system's number for the condition.
    static Outcome Refused(Why why, int error, std::string reason = {}) {
        return {error, std::move(reason), why};
    }
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

// A value, or the outcome that kept it from being made: what the core's searches return. Read
// as an optional: true with a value, and outcome() says why not otherwise.
template <class T>
class Result {
  public:
    Result(T value) : mValue(std::move(value)) {}
    // A failure: never done.
    Result(Outcome failure) : mOutcome(std::move(failure)) {
        mOutcome.error = mOutcome.error != 0 ? mOutcome.error : EIO;
        mOutcome.why = mOutcome.why != Outcome::Why::kDone ? mOutcome.why : Outcome::Why::kSystem;
    }

    bool has_value() const { return mValue.has_value(); }
    explicit operator bool() const { return has_value(); }
    const Outcome& outcome() const { return mOutcome; }
    T& operator*() & { return *mValue; }
    const T& operator*() const& { return *mValue; }
    T&& operator*() && { return *std::move(mValue); }
    T* operator->() { return &*mValue; }
    const T* operator->() const { return &*mValue; }

  private:
    Outcome mOutcome;
    std::optional<T> mValue;
};

}  // namespace rastel::core
