// How far the rows of a picture reach: from a place where rows of a known length are alike,
// row by row either way until they stop, and then byte by byte to where they begin and end.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/base/ByteSource.h"

namespace rastel::core::pictures {

// Bytes of a source looked at where they lie when it holds them in memory, so that tests of
// rows here and there copy nothing; a file's are read a chunk around them at a time, kept
// for the looks that follow nearby, as the tests of one window's rows are.
class Peek {
  public:
    explicit Peek(ByteSource& source) : mSource(source) {}

    std::int64_t size() const { return mSource.size(); }
    // Calls look with a pointer to bytes [from, to) of the source (0 <= from <= to <= size()).
    // False when the bytes could not be had.
    template <typename Look>
    bool operator()(std::int64_t from, std::int64_t to, Look look) {
        if (mSource.InMemory() || to - from > kChunk) {
            mHeld = 0;
            return mSource.Lend(from, static_cast<std::size_t>(to - from), mBuffer,
                                [&look](std::span<const std::uint8_t> s) { look(s.data()); });
        }
        if (from < mAt || to > mAt + mHeld) {
            // Centred on the bytes: rows are followed either way from them.
            mAt = std::clamp(from - (kChunk - (to - from)) / 2, std::int64_t{0},
                             std::max<std::int64_t>(0, size() - kChunk));
            mHeld = std::min(kChunk, size() - mAt);
            mBuffer.resize(static_cast<std::size_t>(mHeld));
            if (!mSource.Read(mAt, mBuffer.size(), mBuffer.data())) {
                mHeld = 0;
                return false;
            }
        }
        look(mBuffer.data() + (from - mAt));
        return true;
    }

  private:
    // Far more than a look takes, far less than a window's bytes.
    static constexpr std::int64_t kChunk = std::int64_t{32} << 10;

    ByteSource& mSource;
    std::vector<std::uint8_t> mBuffer;
    std::int64_t mAt = 0;    // where the bytes held in mBuffer start
    std::int64_t mHeld = 0;  // and how many they are
};

// Rows of `bytes` bytes, each a whole number of elements of `element` bytes (at most 16).
// Only the places of an element in `places` (bit p: place p, as the file counts places) are
// compared: the low bytes of 16-bit samples are noise that would hide the rows.
struct RowShape {
    std::int64_t bytes;
    std::int64_t element;
    std::uint32_t places = ~std::uint32_t{0};
    // Rows of other lengths that fit bytes nearby: where one fits clearly better, these rows
    // have stopped.
    std::vector<std::int64_t> rivals = {};

    bool Uses(std::int64_t pos) const { return (places >> (pos % element) & 1) != 0; }
};

// Bytes fit another row than their own when they are at most this share as far from those
// that row back, over a row of them or FitProbe bytes: fewer find rows a pixel or two
// longer or shorter closer where a picture's lines slant.
constexpr double kFitsBetter = 0.8;
constexpr std::int64_t FitProbe(std::int64_t row) {
    return std::clamp(row, std::int64_t{512}, std::int64_t{8} << 10);
}

// How far n bytes are from those some bytes back, summed over the places a shape uses.
class LagDistance {
  public:
    LagDistance(const RowShape& shape, std::int64_t n);
    // The bytes are those from q on.
    void Place(std::int64_t q);
    // Their distance to those lag bytes back; b points at byte q.
    std::int64_t operator()(const std::uint8_t* b, std::int64_t lag) const;

  private:
    const RowShape& mShape;
    std::int64_t mN;
    bool mAll;                        // every place is used: no mask
    std::vector<std::uint8_t> mMask;  // 0xff for a byte used, 0 for one left out
};

struct Extent {
    std::int64_t begin = 0;  // the first byte of the rows
    std::int64_t end = 0;    // one past their last
    // From 0 to 1: how much closer bytes a row apart are than bytes a little more or less
    // than a row apart, over the rows tested.
    double score = 0;
};

// The rows around the first place in [from, to) where two rows in a row are alike; nothing
// when there is none. failed is set when a read failed.
std::optional<Extent> FindExtent(Peek& peek, const RowShape& shape, std::int64_t from,
                                 std::int64_t to, bool& failed);

}  // namespace rastel::core::pictures
