#pragma once

#include <complex>
#include <cstddef>
#include <span>
#include <vector>

namespace sonvale::analysis {

// The discrete Fourier transform of a real sequence zero-padded (or cut) to n
// points, bins 0 .. n / 2, computed with FFTW. Any thread may call it.
std::vector<std::complex<double>> real_spectrum(std::span<const double> samples, std::size_t n);

// The transform of `samples` at one frequency, in cycles per sample, with sample i
// taken at time origin + i: sum of samples[i] * e^(-j 2 pi f (origin + i)).
std::complex<double> spectrum_at(std::span<const double> samples, double frequency, double origin = 0.0);

// -d(phase)/d(omega) at one frequency, in samples, for the same time axis.
double group_delay_at(std::span<const double> samples, double frequency, double origin = 0.0);

// 20 log10 |x|, held at -400 dB for zero.
double decibels(double magnitude);

}  // namespace sonvale::analysis
