// The strip's worker on its own: whatever pieces the bytes arrive in, it takes the one-shot
// overview and hands it over once, complete; a stop at any step ends it for good; it reads
// bytes that nobody else holds any more. The test command runs this under ThreadSanitizer too.
#include "image/OverviewWork.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <stop_token>

namespace rastel::core {
namespace {

using modBITMAPinfo::RawBytes;
constexpr std::int64_t kPiece = OverviewWork::kPiece;

// What a work's thread reports: the bytes taken at each step, and whether it finished. At step
// holdAt its step holds it until it is stopped.
struct Probe {
    std::mutex mutex;
    std::condition_variable_any changed;
    std::vector<std::int64_t> steps;
    int done = 0;
    std::int64_t holdAt = -1;

    std::unique_ptr<OverviewWork> Start(std::shared_ptr<const RawBytes> bytes) {
        const auto size = static_cast<std::int64_t>(bytes->size());
        auto finished = [this] {
            const std::lock_guard lock(mutex);
            ++done;
            changed.notify_all();
        };
        auto stepped = [this](std::int64_t fed, std::stop_token stop) {
            std::unique_lock lock(mutex);
            steps.push_back(fed);
            changed.notify_all();
            if (std::ssize(steps) == holdAt) {
                changed.wait(lock, stop, [] { return false; });
            }
        };
        return std::make_unique<OverviewWork>(std::move(bytes), StripBlockCount(size), finished,
                                              stepped);
    }
    // False when it takes a minute: a work that hangs fails rather than stalls the suite.
    template <class Condition>
    bool Until(Condition condition) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::minutes(1), condition);
    }
};

// Zeros, text and random bytes, a third each.
std::shared_ptr<RawBytes> Thirds(std::int64_t size) {
    auto bytes = std::make_shared<RawBytes>(static_cast<std::size_t>(size));
    std::mt19937 rng(static_cast<std::uint32_t>(size));
    for (std::int64_t i = 0; i < size; ++i) {
        (*bytes)[i] = static_cast<std::uint8_t>(i < size / 3       ? 0
                                                : i < size / 3 * 2 ? "text\n"[i % 5]
                                                                   : rng());
    }
    return bytes;
}

TEST(OverviewWork, TakesTheOneShotOverviewOnceWhateverThePieces) {
    for (const auto& [size, piece] : {std::pair<std::int64_t, std::int64_t>{5000, 1},
                                      {100003, 4093},
                                      {3 * kPiece + 1001, kPiece - 1},
                                      {3 * kPiece + 1001, kPiece + 1},
                                      {3 * kPiece + 1001, 3 * kPiece + 1001}}) {
        SCOPED_TRACE(piece);
        const auto bytes = Thirds(size);
        Probe probe;
        const auto work = probe.Start(bytes);
        EXPECT_FALSE(work->Take());  // before anything arrived
        for (std::int64_t arrived = piece; arrived < size + piece; arrived += piece) {
            work->Arrived(std::min(arrived, size));
        }
        ASSERT_TRUE(probe.Until([&] { return probe.done == 1; }));
        const std::optional<Overview> taken = work->Take();
        ASSERT_TRUE(taken);
        EXPECT_FALSE(work->Take());
        const Overview once = ComputeOverview(*bytes, StripBlockCount(size));
        ASSERT_EQ(taken->blockCount(), once.blockCount());
        for (std::int64_t i = 0; i < once.blockCount(); ++i) {
            ASSERT_TRUE(taken->Entropy(i) == once.Entropy(i) && taken->Class(i) == once.Class(i))
                << i;
        }
        // Each step a piece further, ending at the last byte.
        for (std::size_t i = 0; i < probe.steps.size(); ++i) {
            const std::int64_t from = i == 0 ? 0 : probe.steps[i - 1];
            EXPECT_TRUE(probe.steps[i] > from && probe.steps[i] - from <= kPiece) << i;
        }
        EXPECT_EQ(probe.steps.back(), size);
    }
}

// Stopped or destroyed at each step, waiting for bytes or held by its step with all of them
// there, it takes no more; destroyed, it lets go of bytes that nobody else holds.
TEST(OverviewWork, StopsAtEveryStepForGood) {
    const std::int64_t size = 4 * kPiece + 5;  // five steps
    const auto thirds = Thirds(size);
    for (std::int64_t step = 0; step <= 5; ++step) {
        for (const int way : {0, 1, 2}) {  // waiting and stopped, held and stopped, held and gone
            if (way > 0 && step == 0) {
                continue;
            }
            SCOPED_TRACE(step * 3 + way);
            Probe probe;
            probe.holdAt = way > 0 ? step : -1;
            auto work = probe.Start(std::make_shared<const RawBytes>(*thirds));
            work->Arrived(way > 0 ? size : std::min(step * kPiece, size));
            ASSERT_TRUE(probe.Until([&] {
                return std::ssize(probe.steps) == step && (way > 0 || step < 5 || probe.done);
            }));
            if (way < 2) {
                EXPECT_EQ(work->Take().has_value(), way == 0 && step == 5);
                work->Stop();
                work->Stop();
                work->Arrived(size);
            } else {
                work.reset();
            }
            EXPECT_EQ(std::ssize(probe.steps), step);
            EXPECT_EQ(probe.done, step == 5);  // a work held at its last step has all it needs
        }
    }
}

}  // namespace
}  // namespace rastel::core
