// The discrete Fourier transform the width suggestions find all distances at once with: radix
// 2 in double or single precision, of a power-of-two length up to kTransformMax. Its results
// are the same bits whichever way the machine computes them (a vector of butterflies at a
// time or one), so that the suggestions do not change with the processor.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>

namespace rastel::core::widths {

using Complex = std::complex<double>;
// Single precision: twice the values a step and half the memory, for callers that can take
// sums of products about a millionth of their total off.
using ComplexSingle = std::complex<float>;

constexpr std::size_t kTransformMax = std::size_t{1} << 16;

// out[j] = (re[i], im[i]) with i the index j with its bits reversed, for j < out.size() (a
// power of two), 0 past the values re and im hold: the order the transform takes its values
// in.
void Scatter(std::span<const double> re, std::span<const double> im, std::span<Complex> out);
void Scatter(std::span<const double> re, std::span<const double> im, std::span<ComplexSingle> out);
void Scatter(std::span<const float> re, std::span<const float> im, std::span<ComplexSingle> out);

// power[k] += (|z[k]|^2 + |z[n - k]|^2) / 2, z[n] being z[0], for k < n = z.size(): of the
// transform of two real inputs as the real and imaginary parts of one, the sum of their power
// spectra, halved.
void AddPowers(std::span<const Complex> z, std::span<double> power);
void AddPowers(std::span<const ComplexSingle> z, std::span<float> power);

// In place, of values put in the order Scatter puts them; the inverse is left unscaled.
void Forward(std::span<Complex> a);
void Forward(std::span<ComplexSingle> a);
void Inverse(std::span<Complex> a);
void Inverse(std::span<ComplexSingle> a);

}  // namespace rastel::core::widths
