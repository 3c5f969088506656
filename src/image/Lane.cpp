#include "image/Lane.h"

namespace rastel::core {

Lane::Lane() : mThread([this](const std::stop_token& stop) { Run(stop); }) {}

Lane::~Lane() {
    Wait();
    mThread.request_stop();
    mChanged.notify_all();
}

void Lane::Start(std::function<void()> job) {
    {
        const std::lock_guard lock(mMutex);
        mJob = std::move(job);
    }
    mChanged.notify_all();
}

void Lane::Wait() {
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return !mJob; });
}

void Lane::Run(const std::stop_token& stop) {
    std::unique_lock lock(mMutex);
    while (mChanged.wait(lock, stop, [this] { return static_cast<bool>(mJob); })) {
        lock.unlock();
        mJob();
        lock.lock();
        mJob = nullptr;
        mChanged.notify_all();
    }
}

}  // namespace rastel::core
