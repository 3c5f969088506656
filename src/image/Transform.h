// The discrete Fourier transform the width suggestions find all distances at once with: radix
// 2 in double precision, of a power-of-two length up to kTransformMax. Its results are the
// same bits whichever way the machine computes them (two butterflies at a time or one), so
// that the suggestions do not change with the processor.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>

namespace rastel::core::widths {

using Complex = std::complex<double>;

constexpr std::size_t kTransformMax = std::size_t{1} << 16;

// out[j] = (re[i], im[i]) with i the index j with its bits reversed, for j < out.size() (a
// power of two), 0 past the values re and im hold: the order the transform takes its values
// in.
void Scatter(std::span<const double> re, std::span<const double> im, std::span<Complex> out);

// In place, of values put in the order Scatter puts them; the inverse is left unscaled.
void Forward(std::span<Complex> a);
void Inverse(std::span<Complex> a);

}  // namespace rastel::core::widths
