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

// Fed the file's bytes in order, in pieces of any size; keeps a byte a cell.
class SmoothCells {
  public:
    explicit SmoothCells(std::int64_t size);

    // The next bytes of the file; bytes beyond its size are ignored. Allocates nothing.
    void Feed(std::span<const std::uint8_t> bytes);
    std::int64_t fed() const { return mFed; }
    std::int64_t size() const { return mSize; }
    std::int64_t count() const { return std::ssize(mSmooth); }
    // Once fed whole.
    bool Smooth(std::int64_t cell) const { return mSmooth[static_cast<std::size_t>(cell)] != 0; }

  private:
    std::int64_t mSize;
    std::int64_t mFed = 0;
    std::vector<std::uint8_t> mSmooth;
    std::vector<std::uint8_t> mPartial;  // a cell begun by a piece that ended inside it
};

}  // namespace rastel::core::pictures
