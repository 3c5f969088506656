// The pictures inside a file, looked for on a thread of its own once its bytes are read, so
// that the window never waits for them: the strip marks them and the dialog lists them when
// they are found. The work holds the bytes itself, as the overview's does.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "image/base/Background.h"
#include "image/base/RawBytes.h"
#include "image/search/PictureScan.h"

namespace rastel::core {

class PictureWork {
  public:
    using Regions = std::vector<PictureRegion>;

    explicit PictureWork(std::shared_ptr<const modBITMAPinfo::RawBytes> bytes)
        : mBytes(std::move(bytes)) {}
    ~PictureWork() { Stop(); }
    PictureWork(const PictureWork&) = delete;
    PictureWork& operator=(const PictureWork&) = delete;

    // On the work's thread, and they must only post: progressed each time another hundredth
    // of the search is done, done once it has ended.
    Outcome Start(std::function<void()> done, std::function<void()> progressed = {});
    // Stops the thread and waits until it has let go; again, it does nothing.
    void Stop() { mWork.Stop(); }
    // The share of the search done, from 0 to 1.
    double Progress() const { return mProgress.load(std::memory_order_relaxed); }
    // The regions found, best first, once the search has ended and only once; nothing
    // before, or after a stop that cut it short.
    std::optional<Regions> Take() { return mWork.Take(); }

  private:
    const std::shared_ptr<const modBITMAPinfo::RawBytes> mBytes;
    std::atomic<double> mProgress = 0;
    Background<Regions> mWork{"pictures"};
};

}  // namespace rastel::core
