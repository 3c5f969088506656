// One more thread, kept for a series of jobs handed to it one at a time, so that what a job
// keeps for its thread's next one (the transform's pages) stays warm.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace rastel::core {

class Lane {
  public:
    Lane();
    ~Lane();  // waits for the job running
    Lane(const Lane&) = delete;
    Lane& operator=(const Lane&) = delete;

    // Runs job on the lane's thread; the one before must have been waited for.
    void Start(std::function<void()> job);
    // Returns once the job started has ended.
    void Wait();

  private:
    void Run(const std::stop_token& stop);

    std::mutex mMutex;
    std::condition_variable_any mChanged;
    std::function<void()> mJob;  // empty once ended
    std::jthread mThread;        // last: it starts with the members above made
};

}  // namespace rastel::core
