// The sample the width suggestions are drawn from, and how much its pixels differ at each
// distance. A window of the file is sampled the same way as the whole of it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image/base/ByteSource.h"

namespace rastel::core::widths {

// The sample: up to kBlocks blocks of kBlock pixels, spread evenly over the window. Widths stay
// below kMaxWidth, so that a block and a width fit a transform of kTransform points, and
// are seen at least kMinRows times in the sample and kMinBlockRows times in each block.
constexpr std::int64_t kTransform = std::int64_t{1} << 16;
constexpr std::int64_t kBlock = 3 * kTransform / 4;
constexpr std::int64_t kMaxWidth = kTransform - kBlock - 1;
constexpr int kBlocks = 16;
constexpr std::int64_t kMinRows = 16;
constexpr std::int64_t kMinBlockRows = 3;
// Block starts keep the orders' groups of 4 bytes whole (4 bytes hold 32 pixels at most).
constexpr std::int64_t kAlign = 32;

// The precision the distances are found in: single is twice as fast, and off by about a
// millionth of the sample's variance.
enum class Precision { Double, Single };

// A sample of up to `blocks` blocks, each three quarters of a transform of `transform` points
// (a power of two), widths below what is left of it. The suggestions take the largest; a
// caller that asks about many windows of a file may take a smaller one, for widths below
// its maxWidth(), and in single precision.
struct SampleShape {
    int blocks = kBlocks;
    std::int64_t transform = kTransform;
    Precision precision = Precision::Double;

    constexpr std::int64_t block() const { return 3 * transform / 4; }
    constexpr std::int64_t maxWidth() const { return transform - block() - 1; }
};

// Pixels [start, start + length) of the depth, counted from the file's first.
struct Block {
    std::int64_t start;
    std::int64_t length;
};

struct Sample {
    std::vector<Block> placed;
    // The pixels of each block, less the mean of all: differences do not change when every
    // pixel moves by the mean, and the transform keeps its precision better around 0.
    std::vector<std::vector<double>> blocks;
    std::int64_t total = 0;             // pixels in all blocks
    std::int64_t maxWidth = kMaxWidth;  // of the shape it was taken in
    Precision precision = Precision::Double;
};

// The sample of the pixels that depth and order make of bytes [begin, end) of source, from
// the first pixel at a multiple of kAlign on, so that places in elements and rows count
// from the file's start. Nothing when a read failed.
std::optional<Sample> TakeSample(ByteSource& source, std::int64_t begin, std::int64_t end,
                                 std::int32_t depth, std::int32_t order,
                                 const SampleShape& shape = {});

// Keeps the sample's blocks for the thread's next TakeSample, leaving it without them.
void GiveBack(Sample& sample);

// The widths the sample holds often enough to be judged: below this.
std::int64_t MaxLag(const Sample& sample);

// The pairs of pixels w apart within the blocks.
double PairsAt(const std::vector<std::vector<double>>& blocks, std::int64_t w);

// dist[w], w = 1 .. maxLag and on as far as the transform reaches without wrapping round
// (checks of multiples look there): the mean squared difference of pixels w apart within
// the blocks.
std::vector<double> Distances(const std::vector<std::vector<double>>& blocks, std::int64_t maxLag,
                              Precision precision = Precision::Double);

}  // namespace rastel::core::widths
