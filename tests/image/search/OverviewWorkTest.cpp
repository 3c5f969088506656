// The strip's worker on its own: whatever pieces the bytes arrive in, it takes the one-shot
// overview and hands it over once, complete; a stop at any step ends it for good; the bytes it
// reads are its own to hold. The test command runs this under ThreadSanitizer too.
#include "image/search/OverviewWork.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace rastel::core {
namespace {

using modBITMAPinfo::RawBytes;
constexpr std::int64_t kPiece = OverviewWork::kPiece;

// A work on a copy of bytes, and what its thread reports: its steps, the bytes taken so far and
// whether it finished. At step holdAt it is held until stopped.
struct Probe {
    Probe(const RawBytes& bytes, std::int64_t holdAt = -1)
        : holdAt(holdAt),
          work(std::make_unique<OverviewWork>(
              std::make_shared<const RawBytes>(bytes), StripBlockCount(std::ssize(bytes)),
              [this](std::int64_t fed, std::stop_token stop) { Report(fed, stop); })) {
        EXPECT_TRUE(work->Start([this] { Report(0, {}); }).ok());
    }
    void Report(std::int64_t bytes, std::stop_token stop) {
        std::unique_lock lock(mutex);
        bytes > 0 ? (fed = bytes, ++steps) : ++done;
        changed.notify_all();
        changed.wait(lock, stop, [&] { return bytes == 0 || steps != holdAt; });
    }
    // False after a minute: a work that hangs fails the test rather than stalling the suite.
    bool Until(const std::function<bool()>& condition) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::minutes(1), condition);
    }

    std::mutex mutex;
    std::condition_variable_any changed;
    int steps = 0, done = 0;
    std::int64_t fed = 0;
    const std::int64_t holdAt;
    std::unique_ptr<OverviewWork> work;  // last: it reports to all of the above
};

// Zeros, Japanese text in UTF-8 (whose sequences pieces cut) and random bytes, a third each.
RawBytes Thirds(std::int64_t size) {
    const std::string text = "画像にして、全体の構造を一目で見る。\n";
    RawBytes bytes(static_cast<std::size_t>(size));
    std::mt19937 rng(7);
    for (std::int64_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i < size / 3       ? 0
                                             : i < size / 3 * 2 ? text[i % text.size()]
                                                                : rng());
    }
    return bytes;
}

TEST(OverviewWork, TakesTheOneShotOverviewOnceWhateverThePieces) {
    const std::int64_t large = 3 * kPiece + 1001;
    for (const auto& [size, piece] : {std::pair<std::int64_t, std::int64_t>{5000, 1},
                                      {100003, 4093},
                                      {large, kPiece + 1},
                                      {large, large}}) {
        SCOPED_TRACE(piece);
        const RawBytes bytes = Thirds(size);
        Probe probe(bytes);
        // Each piece once the work has taken the one before, so that it waits to hear of it.
        for (std::int64_t arrived = piece; arrived < size + piece; arrived += piece) {
            probe.work->Arrived(std::min(arrived, size));
            ASSERT_TRUE(probe.Until([&] { return probe.fed == std::min(arrived, size); }));
        }
        ASSERT_TRUE(probe.Until([&] { return probe.done == 1; }));
        const std::optional<Overview> taken = probe.work->Take();
        EXPECT_FALSE(probe.work->Take());
        const Overview once = ComputeOverview(bytes, StripBlockCount(size));
        ASSERT_TRUE(taken && taken->blockCount() == once.blockCount());
        for (std::int64_t i = 0; i < once.blockCount(); ++i) {
            ASSERT_TRUE(taken->Entropy(i) == once.Entropy(i) && taken->Class(i) == once.Class(i));
        }
    }
}

// Stopped or destroyed at each step, waiting for bytes or held there with all of them in
// place, it takes no more.
TEST(OverviewWork, StopsAtEveryStepForGood) {
    const RawBytes bytes = Thirds(4 * kPiece + 5);  // five steps
    const auto size = std::ssize(bytes);
    for (const int way : {0, 1, 2}) {  // waiting and stopped, held and stopped, held and gone
        for (std::int64_t step = way > 0; step <= 5; ++step) {
            SCOPED_TRACE(step * 3 + way);
            Probe probe(bytes, way > 0 ? step : -1);
            probe.work->Arrived(way > 0 ? size : std::min(step * kPiece, size));
            ASSERT_TRUE(probe.Until(
                [&] { return probe.steps == step && (way > 0 || step < 5 || probe.done); }));
            if (way < 2) {
                EXPECT_EQ(probe.work->Take().has_value(), way == 0 && step == 5);
                probe.work->Stop();
                probe.work->Stop();
                probe.work->Arrived(size);
            }
            probe.work.reset();
            EXPECT_EQ(probe.steps, step);
            EXPECT_EQ(probe.done, step == 5);  // held at its last step, it has all it needs
        }
    }
}

// A thread the system refuses is a start that failed, told as a result; the work is then
// inert: fed, stopped, asked for its result, or destroyed, it does nothing.
TEST(OverviewWork, AThreadTheSystemRefusesIsAFailedStart) {
    SetStartFaults([](const char* work) { return work == std::string("overview") ? EAGAIN : 0; });
    auto bytes = std::make_shared<const RawBytes>(Thirds(5000));
    OverviewWork work(bytes, 8);
    const Outcome started = work.Start([] { ADD_FAILURE(); });
    SetStartFaults({});
    EXPECT_EQ(std::pair(started.error, started.reason), std::pair(EAGAIN, std::string("overview")));
    work.Arrived(5000);
    EXPECT_FALSE(work.Take());
    work.Stop();
}

}  // namespace
}  // namespace rastel::core
