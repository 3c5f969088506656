#include "image/PictureWork.h"

#include <sys/resource.h>
#include <unistd.h>

namespace rastel::core {

PictureWork::PictureWork(std::shared_ptr<const modBITMAPinfo::RawBytes> bytes,
                         std::function<void()> done)
    : mBytes(std::move(bytes)),
      mDone(std::move(done)),
      mThread([this](std::stop_token stop) { Run(stop); }) {}

PictureWork::~PictureWork() {
    Stop();
}

void PictureWork::Stop() {
    mThread.request_stop();
    if (mThread.joinable()) {
        mThread.join();
    }
}

std::optional<std::vector<PictureRegion>> PictureWork::Found() const {
    const std::lock_guard lock(mMutex);
    return mFound;
}

void PictureWork::Run(std::stop_token stop) {
    // Behind the window's own work, as the overview's is.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    SpanSource source(*mBytes);
    auto found = FindPictures(
        source, {stop, [this](double done) { mProgress.store(done, std::memory_order_relaxed); }});
    if (stop.stop_requested()) {
        return;
    }
    {
        const std::lock_guard lock(mMutex);
        // A failed read cannot happen on bytes in memory; none found either way.
        mFound = found ? std::move(*found) : std::vector<PictureRegion>{};
    }
    mProgress.store(1, std::memory_order_relaxed);
    if (mDone) {
        mDone();
    }
}

}  // namespace rastel::core
