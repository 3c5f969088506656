// Work on a thread of its own behind the window (the strip's overview, the search for
// pictures): started once, stopped and joined in one call that the destructor makes too, its
// result taken once when complete. A thread the system cannot start is a failed start, told
// to the caller as a result: it never reaches the window's event handlers as an exception.
#pragma once

#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <stop_token>
#include <system_error>
#include <thread>
#include <utility>

#include "image/base/Outcome.h"

namespace rastel::core {

// A seam for the fault no test machine produces on demand: asked before a thread is started
// with the work's name ("overview", "pictures"), it returns 0 to let it start, or the error
// number the start fails with. Empty, as it is outside tests: no faults.
using StartFaults = std::function<int(const char* work)>;
void SetStartFaults(StartFaults faults);
int StartFault(const char* work);

// Behind the window's own work: on a busy machine the picture comes first; on an idle core
// this makes no difference.
void LowerThisThreadsPriority();

template <class Result>
class Background {
  public:
    explicit Background(const char* name) : mName(name) {}
    ~Background() { Stop(); }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    // Starts body once, on its thread: body(stop) gives the result, or nothing when it heard
    // the stop and gave up. done() runs there once the result is in, and must only post.
    // Fails when the system gives no thread (or no memory for one); nothing is thrown.
    template <class Body, class Done>
    Outcome Start(Body body, Done done) {
        if (const int fault = StartFault(mName)) {
            return {fault, mName};
        }
        try {
            mThread = std::jthread([this, body = std::move(body), done = std::move(done)](
                                       std::stop_token stop) mutable { Run(body, done, stop); });
        } catch (const std::system_error& e) {
            return {e.code().value() != 0 ? e.code().value() : EAGAIN, mName};
        } catch (const std::bad_alloc&) {
            return Outcome::OutOfMemory(mName);
        }
        return {};
    }

    // Asks the work to stop and waits until its thread has let go of everything; again, or
    // before any start, it does nothing.
    void Stop() {
        mThread.request_stop();
        if (mThread.joinable()) {
            mThread.join();
        }
    }

    // The result, once complete and only once; nothing before, after a stop that cut the
    // work short, or when taken already.
    std::optional<Result> Take() {
        const std::lock_guard lock(mMutex);
        std::optional<Result> taken;
        taken.swap(mResult);
        return taken;
    }

  private:
    template <class Body, class Done>
    void Run(Body& body, Done& done, const std::stop_token& stop) {
        LowerThisThreadsPriority();
        std::optional<Result> result = body(stop);
        if (!result) {
            return;
        }
        {
            const std::lock_guard lock(mMutex);
            mResult = std::move(result);
        }
        done();
    }

    const char* const mName;
    std::mutex mMutex;
    std::optional<Result> mResult;
    std::jthread mThread;
};

}  // namespace rastel::core
