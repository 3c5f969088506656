#include "view/OverviewWork.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace rastel {

namespace {

// Fed a MiB at a time, as the read brings them, so that a stop is heard at once.
constexpr std::int64_t kStep = std::int64_t{1} << 20;

}  // namespace

OverviewWork::OverviewWork(std::span<const std::uint8_t> bytes, std::int64_t blocks,
                           std::function<void()> done)
    : mBytes(bytes),
      mBuilder(static_cast<std::int64_t>(bytes.size()), blocks),
      mDone(std::move(done)),
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
    {
        const std::lock_guard lock(mMutex);
        mStopping = true;
    }
    mChanged.notify_one();
    if (mThread.joinable()) {
        mThread.join();
    }
}

bool OverviewWork::Done() const {
    const std::lock_guard lock(mMutex);
    return mFinished;
}

core::Overview OverviewWork::Take() {
    return mBuilder.Take();
}

void OverviewWork::Run() {
    // Behind the window's own work: on a busy machine the picture comes first, on an idle
    // core this makes no difference.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    const auto size = static_cast<std::int64_t>(mBytes.size());
    std::unique_lock lock(mMutex);
    while (mBuilder.fed() < size) {
        mChanged.wait(lock, [this] { return mStopping || mBuilder.fed() < mArrived; });
        if (mStopping) {
            return;
        }
        const std::int64_t from = mBuilder.fed();
        const std::int64_t to = std::min(mArrived, from + kStep);
        lock.unlock();
        mBuilder.Feed(
            mBytes.subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
        lock.lock();
    }
    mFinished = true;
    lock.unlock();
    mDone();
}

}  // namespace rastel
