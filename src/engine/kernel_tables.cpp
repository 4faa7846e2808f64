#include "engine/kernel_tables.h"

#include <cassert>
#include <cmath>

namespace sonvale::engine {
namespace {

// The buffer's first `count` doubles, or nothing when it cannot hold them.
std::span<double> table_span(SampleBuffers& buffers, Buffer b, int count) {
  if (count <= 0 || buffers.size(b) < static_cast<std::size_t>(count) * sizeof(double)) return {};
  return {buffers.table(b), static_cast<std::size_t>(count)};
}

double window_at(Window window, double a) {
  if (window == Window::Hamming) return 0.54 - 0.46 * std::cos(a);
  return 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2.0 * a);
}

}  // namespace

double sinc(double x) { return x == 0.0 ? 1.0 : std::sin(x) / x; }

void fill_kernel(std::span<double> table, int half_width, double offset) {
  assert(table.size() == static_cast<std::size_t>(2 * half_width + 1));
  for (int i = -half_width; i <= half_width; ++i) table[i + half_width] = sinc((i + offset) * kPi);
}

void fill_low_pass(std::span<double> table, Window window) {
  const int n = static_cast<int>(table.size());
  assert(n % 2 == 1);
  const int middle = (n - 1) / 2;
  for (int k = 0; k <= middle; ++k) {
    const double a = 2.0 * kPi * k / (n - 1);
    const int m = k - middle;
    table[k] = kLowPassCutoff * sinc(kPi * kLowPassCutoff * m) * window_at(window, a);
  }
  for (int k = middle + 1; k < n; ++k) table[k] = table[n - 1 - k];
}

void build_kernel_tables(SampleBuffers& buffers, int half_width) {
  const int taps = 2 * half_width + 1;
  if (auto quarter = table_span(buffers, Buffer::QuarterKernel, taps); !quarter.empty())
    fill_kernel(quarter, half_width, kQuarterOffset);
  if (auto half = table_span(buffers, Buffer::HalfKernel, taps); !half.empty())
    fill_kernel(half, half_width, kHalfOffset);
}

Tables tables_of(const SampleBuffers& buffers) {
  const auto table = [&](Buffer b, int taps) -> const double* {
    return buffers.size(b) >= taps * sizeof(double) ? buffers.table(b) : nullptr;
  };
  return {table(Buffer::QuarterKernel, kKernelTaps), table(Buffer::HalfKernel, kKernelTaps),
          table(Buffer::Hamming255, kShortFilterTaps), table(Buffer::Blackman255, kShortFilterTaps),
          table(Buffer::Hamming2047, kLongFilterTaps)};
}

TableSet::TableSet()
    : quarter(kKernelTaps), half(kKernelTaps), hamming255(kShortFilterTaps),
      blackman255(kShortFilterTaps), hamming2047(kLongFilterTaps) {
  fill_kernel(quarter, kKernelHalfWidth, kQuarterOffset);
  fill_kernel(half, kKernelHalfWidth, kHalfOffset);
  fill_low_pass(hamming255, Window::Hamming);
  fill_low_pass(blackman255, Window::Blackman);
  fill_low_pass(hamming2047, Window::Hamming);
}

Tables TableSet::view() const {
  return {quarter.data(), half.data(), hamming255.data(), blackman255.data(), hamming2047.data()};
}

void install_filter_tables(SampleBuffers& buffers) {
  if (auto t = table_span(buffers, Buffer::Hamming255, kShortFilterTaps); !t.empty())
    fill_low_pass(t, Window::Hamming);
  if (auto t = table_span(buffers, Buffer::Blackman255, kShortFilterTaps); !t.empty())
    fill_low_pass(t, Window::Blackman);
  if (auto t = table_span(buffers, Buffer::Hamming2047, kLongFilterTaps); !t.empty())
    fill_low_pass(t, Window::Hamming);
}

}  // namespace sonvale::engine
