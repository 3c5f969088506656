#include "image/search/Utf8Scanner.h"

#include <cstring>

namespace rastel::core {

namespace {

// What a lead byte from 0xC2 to 0xF4 starts: the sequence's length and the range its second
// byte must be in. No overlong forms, no surrogates, nothing beyond U+10FFFF.
struct Lead {
    int length;
    std::uint8_t low;
    std::uint8_t high;
};

constexpr Lead LeadOf(std::uint8_t c) {
    const int length = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    const std::uint8_t low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const std::uint8_t high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    return {length, low, high};
}

}  // namespace

bool Utf8Scanner::Scan(const std::uint8_t* p, std::int64_t n, std::int64_t allowed) {
    std::int64_t i = 0;
    while (i < n) {
        if (mNeed == 0) {
            const std::int64_t from = i;
            for (std::uint64_t w; i + 8 <= n; i += 8) {
                std::memcpy(&w, p + i, 8);
                if ((w & 0x8080808080808080ULL) != 0) {
                    break;
                }
            }
            mOrphans = i > from ? 0 : mOrphans;
            if (i == n) {
                break;
            }
        }
        const std::uint8_t c = p[i];
        if (mNeed == 0 && c >= 0xC2 && c <= 0xF4 && i + 4 <= n) {  // a whole sequence at once
            const Lead lead = LeadOf(c);
            if (p[i + 1] >= lead.low && p[i + 1] <= lead.high &&
                (lead.length < 3 || (p[i + 2] & 0xC0) == 0x80) &&
                (lead.length < 4 || (p[i + 3] & 0xC0) == 0x80)) {
                i += lead.length;
                mOrphans = 0;
                continue;
            }
        }
        ++i;
        if (mNeed > 0) {
            if (c >= mLow && c <= mHigh) {
                mLow = 0x80;
                mHigh = 0xBF;
                --mNeed;
                mPending = mNeed == 0 ? 0 : mPending + 1;
                continue;
            }
            mInvalid += mPending;  // the sequence broke off: none of it is valid
            mNeed = mPending = 0;
            mLow = 0x80;
            mHigh = 0xBF;
        }
        if (c < 0x80) {
            mOrphans = 0;
            continue;
        }
        if (c < 0xC0 && mOrphans > 0) {
            --mOrphans;
            continue;
        }
        mOrphans = 0;
        if (c < 0xC2 || c > 0xF4) {
            ++mInvalid;
        } else {
            const Lead lead = LeadOf(c);
            mNeed = static_cast<std::uint8_t>(lead.length - 1);
            mPending = 1;
            mLow = lead.low;
            mHigh = lead.high;
        }
        if (mInvalid > allowed) {
            return false;
        }
    }
    return true;
}

}  // namespace rastel::core
