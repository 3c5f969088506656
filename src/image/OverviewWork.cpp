#include "image/OverviewWork.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace rastel::core {

OverviewWork::OverviewWork(std::shared_ptr<const modBITMAPinfo::RawBytes> bytes,
                           std::int64_t blocks, std::function<void()> done, Step step)
    : mBytes(std::move(bytes)),
      mBuilder(static_cast<std::int64_t>(mBytes->size()), blocks),
      mDone(std::move(done)),
      mStep(std::move(step)),
      mThread([this] { Run(); }) {}

OverviewWork::~OverviewWork() {
    Stop();
}

void OverviewWork::Arrived(std::int64_t count) {
    {
        const std::lock_guard lock(mMutex);
        mArrived = std::max(mArrived, count);
    }
    mChanged.notify_one();
}

void OverviewWork::Stop() {
    mStop.request_stop();  // wakes the thread where it waits for bytes, and a test's step
    if (mThread.joinable()) {
        mThread.join();
    }
}

std::optional<Overview> OverviewWork::Take() {
    const std::lock_guard lock(mMutex);
    if (!mFinished || mTaken) {
        return std::nullopt;
    }
    mTaken = true;
    return mBuilder.Take();
}

void OverviewWork::Run() {
    // Behind the window's own work: on a busy machine the picture comes first, on an idle
    // core this makes no difference.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    const auto size = static_cast<std::int64_t>(mBytes->size());
    const std::stop_token stop = mStop.get_token();
    std::unique_lock lock(mMutex);
    while (mBuilder.fed() < size) {
        mChanged.wait(lock, stop, [this] { return mBuilder.fed() < mArrived; });
        if (stop.stop_requested()) {
            return;
        }
        const std::int64_t from = mBuilder.fed();
        const std::int64_t to = std::min({mArrived, size, from + kPiece});
        lock.unlock();
        mBuilder.Feed(std::span(*mBytes).subspan(static_cast<std::size_t>(from),
                                                 static_cast<std::size_t>(to - from)));
        if (mStep) {
            mStep(to, stop);
        }
        lock.lock();
    }
    mFinished = true;
    lock.unlock();
    if (mDone) {
        mDone();
    }
}

}  // namespace rastel::core
