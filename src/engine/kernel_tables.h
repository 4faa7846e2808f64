#pragma once

#include <span>
#include <vector>

#include "engine/sample_buffers.h"

namespace sonvale::engine {

inline constexpr double kPi = 3.141592653589793;

// The interpolation kernels: 1,025 taps, entry k for i = k - 512.
inline constexpr int kKernelHalfWidth = 512;
inline constexpr int kKernelTaps = 2 * kKernelHalfWidth + 1;
// Offsets of the interpolation point: the quarter kernel reads a quarter frame back,
// the half kernel half a frame ahead.
inline constexpr double kQuarterOffset = 0.25;
inline constexpr double kHalfOffset = -0.5;

// The low-pass post filters.
inline constexpr int kShortFilterTaps = 255;
inline constexpr int kLongFilterTaps = 2047;
inline constexpr double kLowPassCutoff = 0.9996;  // fraction of the Nyquist frequency

enum class Window { Hamming, Blackman };

// The five tables as the computation reads them.
struct Tables {
  const double* quarter = nullptr;
  const double* half = nullptr;
  const double* hamming255 = nullptr;
  const double* blackman255 = nullptr;
  const double* hamming2047 = nullptr;

  bool complete() const {
    return quarter && half && hamming255 && blackman255 && hamming2047;
  }
};

// The tables in the player's buffers; absent ones are null.
Tables tables_of(const SampleBuffers& buffers);

// The five tables in memory of their own, for work outside the player's buffers.
struct TableSet {
  TableSet();
  Tables view() const;

  std::vector<double> quarter, half, hamming255, blackman255, hamming2047;
};

// sin(x) / x, and exactly 1 at 0.
double sinc(double x);

// table[i + half_width] = sinc((i + offset) * pi) for i = -half_width..half_width.
void fill_kernel(std::span<double> table, int half_width, double offset);

// An odd-length, exactly symmetric windowed-sinc low pass of table.size() taps. The
// first half is computed and mirrored: evaluating the window's cosine on both sides
// would leave the halves a few ulps apart.
void fill_low_pass(std::span<double> table, Window window);

// Fills the quarter kernel, then the half kernel, with 2 * half_width + 1 entries.
// A table buffer that is missing or too small is left alone.
void build_kernel_tables(SampleBuffers& buffers, int half_width);

// Fills Hamming 255, Blackman 255 and Hamming 2047, in that order.
void install_filter_tables(SampleBuffers& buffers);

}  // namespace sonvale::engine
