// A second thread for a loop that takes items one after the other: told which items the loop
// will likely come to next, it works them out meanwhile. The loop takes the result from it,
// works out the next planned items itself while the thread ends the one it wants, or works
// that out itself if the thread has not taken it up. The work must depend on the item alone,
// so that the loop's results do not depend on which thread did it.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace rastel::core {

template <typename Item, typename Result>
class LookAhead {
  public:
    explicit LookAhead(std::function<Result(const Item&)> work)
        : mWork(std::move(work)), mThread([this](const std::stop_token& stop) { Run(stop); }) {}
    ~LookAhead() {
        mThread.request_stop();
        mThread.join();  // after the item under way, before the members it uses go
    }
    LookAhead(const LookAhead&) = delete;
    LookAhead& operator=(const LookAhead&) = delete;

    // The items the loop will likely come to next, in order, instead of those said before.
    void Plan(std::vector<Item> next) {
        {
            const std::lock_guard lock(mMutex);
            mPlan = std::move(next);
        }
        mChanged.notify_all();
    }

    // The result for item once worked out here or by the thread; nothing when neither has
    // taken it up (nor will: the loop says its plan without it first).
    std::optional<Result> Take(const Item& item) {
        std::unique_lock lock(mMutex);
        for (;;) {
            for (auto it = mDone.begin(); it != mDone.end(); ++it) {
                if (it->first == item) {
                    Result r = std::move(it->second);
                    mDone.erase(it);
                    return r;
                }
            }
            if (!Under(item)) {
                return std::nullopt;
            }
            if (const Item* next = Next()) {
                Work(*next, lock);  // rather than wait
            } else {
                mChanged.wait(lock);
            }
        }
    }

  private:
    bool Under(const Item& item) const {
        return std::find(mOn.begin(), mOn.end(), item) != mOn.end();
    }

    // The first item of the plan neither done nor under way.
    const Item* Next() const {
        for (const Item& item : mPlan) {
            const bool done = std::any_of(mDone.begin(), mDone.end(),
                                          [&item](const auto& d) { return d.first == item; });
            if (!done && !Under(item)) {
                return &item;
            }
        }
        return nullptr;
    }

    // Works item out with the lock let go meanwhile.
    void Work(Item item, std::unique_lock<std::mutex>& lock) {
        mOn.push_back(item);
        lock.unlock();
        Result r = mWork(item);
        lock.lock();
        mOn.erase(std::find(mOn.begin(), mOn.end(), item));
        // Kept even when the loop has passed it by, its order changed: it may come back.
        mDone.emplace_back(std::move(item), std::move(r));
        mChanged.notify_all();
    }

    void Run(const std::stop_token& stop) {
        std::unique_lock lock(mMutex);
        while (mChanged.wait(lock, stop, [this] { return Next() != nullptr; })) {
            Work(*Next(), lock);
        }
    }

    std::function<Result(const Item&)> mWork;
    std::mutex mMutex;
    std::condition_variable_any mChanged;
    std::vector<Item> mPlan;
    std::vector<Item> mOn;  // under way, on either thread
    std::vector<std::pair<Item, Result>> mDone;
    std::jthread mThread;  // last: it starts once the members above are made
};

}  // namespace rastel::core
