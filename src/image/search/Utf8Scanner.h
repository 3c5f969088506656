// Follows UTF-8 through a block of bytes fed in pieces and counts the bytes from 0x80 on that
// lie outside valid sequences. A block may start inside a sequence that began before it and
// end inside one it cannot finish: those bytes count as valid.
#pragma once

#include <cstdint>

namespace rastel::core {

class Utf8Scanner {
  public:
    // A block starts: nothing counted, no sequence open.
    void Start() { *this = Utf8Scanner{}; }
    // The block's next n bytes; bytes below 0x80 are left to the caller. False once more than
    // allowed bytes are outside valid sequences: the rest need not be scanned.
    bool Scan(const std::uint8_t* p, std::int64_t n, std::int64_t allowed);
    // The block's bytes from 0x80 on outside valid sequences so far.
    std::int64_t invalid() const { return mInvalid; }

  private:
    // A sequence's end is at most three continuation bytes.
    static constexpr std::uint8_t kOrphans = 3;

    std::int64_t mInvalid = 0;
    std::uint8_t mNeed = 0;                  // continuation bytes the sequence now open still needs
    std::uint8_t mPending = 0;               // its bytes so far
    std::uint8_t mLow = 0x80, mHigh = 0xBF;  // the range its next byte must be in
    std::uint8_t mOrphans = kOrphans;        // continuation bytes the block may still start with
};

}  // namespace rastel::core
