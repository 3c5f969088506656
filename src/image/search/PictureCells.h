// The first pass of the search for pictures: which cells of a file hold bytes far closer to
// those one to four bytes before them than to bytes farther off, as the values and pixels of
// pictures are, one channel at a time. Code, text and compressed bytes are not; they are left
// out before anything costlier looks at them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace rastel::core::pictures {

// Cells start at multiples of kCell, so that a place in an element of 2 or 4 bytes counts the
// same from a cell's start as from the file's.
constexpr std::int64_t kCell = 4096;

// Whether the n bytes at p (at most kCell, p at a multiple of 16 in the file) are smooth: for
// an element of 1, 2, 3 or 4 bytes and a place in it whose bytes vary, neighbouring elements
// differ there by at most kSmooth of what elements far apart do, over its first few hundred bytes.
bool SmoothCell(const std::uint8_t* p, std::int64_t n);

// A byte a cell: whether it is smooth, once judged.
class SmoothCells {
  public:
    explicit SmoothCells(std::int64_t size);

    // Judges the cells of bytes, the file's from at on: at is a multiple of kCell, and bytes
    // end at one or at the file's end. Allocates nothing. Threads may judge cells apart at
    // once.
    void Judge(std::int64_t at, std::span<const std::uint8_t> bytes);
    std::int64_t size() const { return mSize; }
    std::int64_t count() const { return std::ssize(mSmooth); }
    bool Smooth(std::int64_t cell) const { return mSmooth[static_cast<std::size_t>(cell)] != 0; }

  private:
    std::int64_t mSize;
    std::vector<std::uint8_t> mSmooth;
};

}  // namespace rastel::core::pictures
