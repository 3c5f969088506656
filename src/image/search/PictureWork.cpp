#include "image/search/PictureWork.h"

namespace rastel::core {

Outcome PictureWork::Start(std::function<void()> done, std::function<void()> progressed) {
    auto body = [this, progressed =
                           std::move(progressed)](std::stop_token stop) -> std::optional<Regions> {
        SpanSource source(*mBytes);
        int told = 0;  // hundredths
        auto found = FindPictures(source, {stop, [&](double share) {
                                               mProgress.store(share, std::memory_order_relaxed);
                                               const int now = static_cast<int>(share * 100);
                                               if (now > told && progressed) {
                                                   told = now;
                                                   progressed();
                                               }
                                           }});
        if (stop.stop_requested()) {
            return std::nullopt;
        }
        mProgress.store(1, std::memory_order_relaxed);
        // A failed read cannot happen on bytes in memory; none found either way.
        return found ? std::move(*found) : Regions{};
    };
    return mWork.Start(std::move(body), [done = std::move(done)] {
        if (done) {
            done();
        }
    });
}

}  // namespace rastel::core
