#include "image/search/OverviewWork.h"

#include <algorithm>

namespace rastel::core {

OverviewWork::OverviewWork(std::shared_ptr<const modBITMAPinfo::RawBytes> bytes,
                           std::int64_t blocks, Step step)
    : mBytes(std::move(bytes)),
      mBuilder(static_cast<std::int64_t>(mBytes->size()), blocks),
      mStep(std::move(step)) {}

void OverviewWork::Arrived(std::int64_t count) {
    {
        const std::lock_guard lock(mMutex);
        mArrived = std::max(mArrived, count);
    }
    mChanged.notify_one();
}

std::optional<Overview> OverviewWork::Run(const std::stop_token& stop) {
    const auto size = static_cast<std::int64_t>(mBytes->size());
    std::unique_lock lock(mMutex);
    while (mBuilder.fed() < size) {
        // A stop wakes the wait where the thread waits for bytes.
        mChanged.wait(lock, stop, [this] { return mBuilder.fed() < mArrived; });
        if (stop.stop_requested()) {
            return std::nullopt;
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
    return mBuilder.Take();
}

}  // namespace rastel::core
