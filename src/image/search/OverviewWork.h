// A file's overview, taken on a thread of its own from the bytes as they are read and after,
// so that the picture never waits for it. The work holds the bytes itself: they stay as long
// as it reads them, whoever else lets go of them first.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>

#include "image/base/Background.h"
#include "image/base/RawBytes.h"
#include "image/search/Overview.h"

namespace rastel::core {

class OverviewWork {
  public:
    // Called on the work's thread after each piece with the bytes taken so far, for tests: one
    // that holds the work there should wait on stop too, which Stop requests.
    using Step = std::function<void(std::int64_t fed, std::stop_token stop)>;
    // Pieces of at most this many bytes, so that a stop is heard at once.
    static constexpr std::int64_t kPiece = std::int64_t{1} << 20;

    // The bytes may still be arriving: the work reads only those Arrived has announced.
    OverviewWork(std::shared_ptr<const modBITMAPinfo::RawBytes> bytes, std::int64_t blocks,
                 Step step = {});
    ~OverviewWork() { Stop(); }
    OverviewWork(const OverviewWork&) = delete;
    OverviewWork& operator=(const OverviewWork&) = delete;

    // done runs on the work's thread once the overview is complete; it must only post.
    template <class Done>
    Outcome Start(Done done) {
        return mWork.Start([this](std::stop_token stop) { return Run(stop); }, std::move(done));
    }
    // The first count bytes are in place.
    void Arrived(std::int64_t count);
    // Stops the thread and waits until it has let go; again, it does nothing.
    void Stop() { mWork.Stop(); }
    // The overview, once complete and only once; nothing before.
    std::optional<Overview> Take() { return mWork.Take(); }

  private:
    std::optional<Overview> Run(const std::stop_token& stop);

    const std::shared_ptr<const modBITMAPinfo::RawBytes> mBytes;
    OverviewBuilder mBuilder;  // the thread's alone
    const Step mStep;
    std::mutex mMutex;
    std::condition_variable_any mChanged;
    std::int64_t mArrived = 0;
    Background<Overview> mWork{"overview"};
};

}  // namespace rastel::core
