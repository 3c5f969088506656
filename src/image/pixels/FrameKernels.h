// Tight loops for the formats whose pixels take bytes beyond their own: the levels of planes'
// samples spread over the pixels they cover, and mosaics' missing colours, many pixels a step
// where the processor allows; the callers do the rest by the plain rule.
#pragma once

#include <cstdint>

namespace rastel::core::formatKernels {

// Levels of count pixels from samples of 1 or 2 little-endian bytes (level: the sample shifted
// right by `shift`, its low 8 bits), samples `step` bytes apart, each covering 2^h pixels, the
// first from its first pixel. Only whole steps of the processor's are done, only while they
// read within the `readable` bytes from in: the count done, the rest left to the caller.
std::int64_t SpreadSteps(const std::uint8_t* in, int bytes, int step, int h, int shift,
                         std::int64_t count, std::int64_t readable, std::uint8_t* out);

// A row of a mosaic of 8-bit samples, or 16-bit little-endian ones, whose even and odd columns
// hold colours `even` and `odd` (red 0, green 1, blue 2; one of them green), the rows above and
// below holding the third: the colours of pixels [x, x + count), from `row`, the row's sample
// at column 0, rows rowBytes apart, and every sample from column x - 1 to x + count inside the
// data. Eight or four pixels a step where the processor allows: the count done, the rest left
// to the caller.
std::int64_t MosaicSteps(const std::uint8_t* row, int sampleBytes, std::int64_t rowBytes, int even,
                         int odd, std::int64_t x, std::int64_t count, std::uint8_t* out);

}  // namespace rastel::core::formatKernels
