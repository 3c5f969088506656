// The loop shared by the monkey tests: seeded streams of random events into a window, with the
// window's rules checked after each one.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <sstream>
#include <string>

namespace rastel::testing {

// Seeds and length of a run: a fixed seed in the test command, more through
// RASTEL_MONKEY_SEED, RASTEL_MONKEY_SEEDS and RASTEL_MONKEY_EVENTS.
struct MonkeyPlan {
    std::uint64_t firstSeed;
    std::uint64_t seeds;
    std::uint64_t events;

    static MonkeyPlan FromEnvironment(std::uint64_t defaultSeed) {
        auto number = [](const char* name, std::uint64_t fallback) {
            bool ok = false;
            const std::uint64_t value = qEnvironmentVariable(name).toULongLong(&ok);
            return ok ? value : fallback;
        };
        return {number("RASTEL_MONKEY_SEED", defaultSeed), number("RASTEL_MONKEY_SEEDS", 1),
                number("RASTEL_MONKEY_EVENTS", 2000)};
    }
};

// Runs events steps: step() sends one event and describes it, broken() says what rule the
// window now breaks (empty when none). A failure names the seed, the event and the last
// dozen events that led to it. Returns false on a failure.
inline bool RunMonkey(std::uint64_t seed, std::uint64_t events,
                      const std::function<std::string()>& step,
                      const std::function<std::string()>& broken) {
    std::deque<std::string> recent;
    for (std::uint64_t n = 0; n < events; ++n) {
        recent.push_back(step());
        if (recent.size() > 12) {
            recent.pop_front();
        }
        const std::string fault = broken();
        if (!fault.empty()) {
            std::ostringstream story;
            for (const std::string& event : recent) {
                story << "\n  " << event;
            }
            ADD_FAILURE() << fault << "\nseed " << seed << ", event " << n
                          << ", after:" << story.str();
            return false;
        }
    }
    return true;
}

}  // namespace rastel::testing
