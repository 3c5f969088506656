// The overview strip's figures, taken on a thread of their own from a file's bytes as they are
// read and after: the picture never waits for them. The bytes are the caller's; they must
// outlive the work, so whoever frees them stops the work first, which Stop and the destructor
// do, returning only once the thread has let go of them.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <thread>

#include "image/Overview.h"

namespace rastel {

class OverviewWork {
  public:
    // done runs on the work's thread once the figures are complete; it must only post.
    OverviewWork(std::span<const std::uint8_t> bytes, std::int64_t blocks,
                 std::function<void()> done);
    ~OverviewWork();
    OverviewWork(const OverviewWork&) = delete;
    OverviewWork& operator=(const OverviewWork&) = delete;

    // The first count bytes have arrived.
    void Arrived(std::int64_t count);
    void Stop();

    bool Done() const;
    // Once Done: the figures, taken out.
    core::Overview Take();

  private:
    void Run();

    std::span<const std::uint8_t> mBytes;
    core::OverviewBuilder mBuilder;
    std::function<void()> mDone;
    mutable std::mutex mMutex;
    std::condition_variable mChanged;
    std::int64_t mArrived = 0;
    bool mStopping = false;
    bool mFinished = false;
    std::thread mThread;  // last, so that it starts once everything above is set up
};

}  // namespace rastel
