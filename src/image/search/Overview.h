// The whole file at a glance: cut into blocks of equal size (the last may be shorter), each
// with its entropy in bits per byte and a class saying what its bytes look like.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "image/base/ByteSource.h"
#include "image/search/Utf8Scanner.h"

namespace rastel::core {

enum class ByteClass : std::uint8_t { Zero, Uniform, Text, Random, Data };
constexpr int kClassCount = 5;

// "zero", "uniform", "text", "random" or "data".
const char* ClassWord(ByteClass c);

// The classes' thresholds, chosen from blocks of 64 bytes to 64 KiB cut from real files. Text
// files (ASCII, and Japanese in UTF-8) have every byte text at any block size; machine code has
// 30-45% text bytes, raw pixels at most 76%; only the string tables inside programs reach 95%,
// and they are text. Compressed data (gzip, xz, packages, PNG) stays within 0.2 bits of what
// random bytes give a block of its size, code, tables and raw pixels 1.1 bits or more below
// it; below 256 bytes the two overlap, so shorter blocks are never random.
struct OverviewRules {
    // Text: at most one byte in kNonTextDivisor is anything but printable ASCII, tab, CR, LF
    // or part of a valid UTF-8 sequence (5%).
    static constexpr std::int64_t kNonTextDivisor = 20;
    // Random: entropy at least RandomEntropy(n) - kRandomMargin, in blocks of at least
    // kRandomMinBlock bytes.
    static constexpr double kRandomMargin = 0.25;
    static constexpr std::int64_t kRandomMinBlock = 256;
};

// The window's finest grain and rastel-render's largest --blocks.
constexpr std::int64_t kMaxOverviewBlocks = 65536;

// Bytes per block for a file of size bytes in at most count blocks (count is kept within 1 to
// kMaxOverviewBlocks): size / count rounded up, at least 1.
std::int64_t OverviewBlockSize(std::int64_t size, std::int64_t count);

// The entropy that n bytes drawn at random give on average: below 8 by about 184 / n bits,
// since n bytes cannot fill 256 values evenly.
double RandomEntropy(std::int64_t n);

// The classes' shares of a byte range, by bytes, and its mean entropy.
struct ClassMix {
    std::array<double, kClassCount> share{};  // indexed by ByteClass; sums to 1 over any bytes
    double entropy = 0;
};

class Overview {
  public:
    Overview() = default;
    Overview(std::int64_t size, std::int64_t count);

    std::int64_t size() const { return mSize; }
    std::int64_t blockSize() const { return mBlockSize; }
    std::int64_t blockCount() const { return static_cast<std::int64_t>(mClasses.size()); }
    std::int64_t BlockStart(std::int64_t i) const { return i * mBlockSize; }
    std::int64_t BlockLength(std::int64_t i) const;
    float Entropy(std::int64_t i) const { return mEntropy[static_cast<std::size_t>(i)]; }
    ByteClass Class(std::int64_t i) const { return mClasses[static_cast<std::size_t>(i)]; }

    // Over the blocks that [begin, end) touches, each weighted by its bytes inside the range:
    // every class found there has a share above 0.
    ClassMix Mix(std::int64_t begin, std::int64_t end) const;

  private:
    friend class OverviewBuilder;
    std::int64_t mSize = 0;
    std::int64_t mBlockSize = 1;
    std::vector<float> mEntropy;
    std::vector<ByteClass> mClasses;
};

// Builds an overview from the file's bytes fed in order, in pieces of any size; the result does
// not depend on where the pieces end. Keeps a histogram of the current block only.
class OverviewBuilder {
  public:
    OverviewBuilder(std::int64_t size, std::int64_t count);

    // The next bytes of the file; bytes beyond its size are ignored.
    void Feed(std::span<const std::uint8_t> bytes);
    std::int64_t fed() const { return mPos; }
    // Blocks whose entropy and class are final, from the first on; the rest read as data of entropy
    // 0.
    std::int64_t blocksDone() const { return mBlock; }
    bool done() const { return mPos == mResult.mSize; }
    const Overview& result() const { return mResult; }
    Overview Take() { return std::move(mResult); }

  private:
    void Segment(const std::uint8_t* p, std::int64_t n);
    void Count(const std::uint8_t* p, std::int64_t n);
    void CountRun(std::int64_t n);
    std::int64_t NeverText() const;
    // The bytes of the current block that may be other than text while it still is text.
    std::int64_t NonTextAllowed() const;
    void EndBlock();
    void StartBlock();

    Overview mResult;
    std::int64_t mPos = 0;
    std::int64_t mBlock = 0;
    std::int64_t mBlockEnd = 0;
    std::int64_t mBlockLength = 0;
    double mRandomFloor[2] = {};  // for a whole block and for the short last one
    // The current block.
    // Four tables, so that counting a byte need not wait for the one before; emptied as each
    // block ends.
    std::array<std::array<std::uint32_t, 256>, 4> mCounts{};
    bool mUniform = true;
    std::uint8_t mFirst = 0;
    std::int64_t mRun = 0;  // bytes equal to mFirst not yet counted
    bool mMaybeText = true;
    Utf8Scanner mUtf8;
};

// The overview of bytes held in memory, or of a source read in pieces; unreadable when a read
// failed.
Overview ComputeOverview(std::span<const std::uint8_t> data, std::int64_t count);
Result<Overview> ComputeOverview(ByteSource& source, std::int64_t count);

// The viewer's blocks for a file of size bytes: as fine as the most it keeps, but none smaller
// than the blocks in which random bytes can be told from the rest.
std::int64_t StripBlockCount(std::int64_t size);

}  // namespace rastel::core
