// What the fuzz checks share: reading settings from the input's bytes, and reporting a broken
// invariant in a way both libFuzzer and the corpus replay test can see.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace rastel::fuzz {

using Input = std::span<const std::uint8_t>;

// Wide enough for any sum or product of two 64-bit positions.
__extension__ typedef __int128 Int128;

// Reports a broken invariant. The default handler prints it and aborts, so libFuzzer keeps
// the input; the replay test installs one that throws instead, to name the corpus file.
[[noreturn]] void Fail(const char* what);
void SetFailHandler(std::function<void(const char*)> handler);

inline void Expect(bool holds, const char* what) {
    if (!holds) {
        Fail(what);
    }
}

// Takes numbers from the front of an input; once the input runs out, every number is 0.
class InputReader {
  public:
    explicit InputReader(Input input) : rest_(input) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(take(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    std::uint64_t u64() { return take(8); }
    std::int64_t i64() { return static_cast<std::int64_t>(take(8)); }
    // A number in [lo, hi], hi - lo below 2^32.
    std::int64_t range(std::int64_t lo, std::int64_t hi) {
        return lo + static_cast<std::int64_t>(u32() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    Input rest() const { return rest_; }

  private:
    std::uint64_t take(std::size_t bytes) {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < bytes && !rest_.empty(); ++i) {
            v |= std::uint64_t{rest_.front()} << (8 * i);
            rest_ = rest_.subspan(1);
        }
        return v;
    }
    Input rest_;
};

// The checks, one per fuzz target. Each takes any input and returns normally unless an
// invariant breaks.
void CheckDecoder(Input input);
void CheckBmpWriter(Input input);
void CheckFieldRules(Input input);
void CheckRenderOptions(Input input);
void CheckPictureScan(Input input);
// Only where Qt is at hand (RASTEL_FUZZ_COMMAND_LINE).
void CheckCommandLine(Input input);

}  // namespace rastel::fuzz
