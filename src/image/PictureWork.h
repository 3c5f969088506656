// The pictures inside a file, looked for on a thread of its own once its bytes are read, so
// that the window never waits for them: the strip marks them and the dialog lists them when
// they are found. The work holds the bytes itself, as the overview's does.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "image/PictureScan.h"
#include "image/RawBytes.h"

namespace rastel::core {

class PictureWork {
  public:
    // done runs on the work's thread once the search has ended; it must only post.
    PictureWork(std::shared_ptr<const modBITMAPinfo::RawBytes> bytes, std::function<void()> done);
    ~PictureWork();
    PictureWork(const PictureWork&) = delete;
    PictureWork& operator=(const PictureWork&) = delete;

    // Stops the thread and waits until it has let go; again, it does nothing.
    void Stop();
    // The share of the search done, from 0 to 1.
    double Progress() const { return mProgress.load(std::memory_order_relaxed); }
    // The regions found, best first, once the search has ended, as often as asked; nothing
    // before, or after a stop that cut it short.
    std::optional<std::vector<PictureRegion>> Found() const;

  private:
    void Run(std::stop_token stop);

    const std::shared_ptr<const modBITMAPinfo::RawBytes> mBytes;
    const std::function<void()> mDone;
    std::atomic<double> mProgress = 0;
    mutable std::mutex mMutex;
    std::optional<std::vector<PictureRegion>> mFound;
    std::jthread mThread;  // last, so that it starts once everything above is set up
};

}  // namespace rastel::core
