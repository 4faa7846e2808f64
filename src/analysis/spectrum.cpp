#include "analysis/spectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>

namespace sonvale::analysis {
namespace {

// FFTW's planner keeps global state: plans are made and destroyed under this lock.
std::mutex planner_lock;

struct FftwFree {
  void operator()(void* p) const { fftw_free(p); }
};
template <class T>
using FftwArray = std::unique_ptr<T[], FftwFree>;

struct PlanDestroy {
  void operator()(fftw_plan p) const {
    const std::lock_guard lock(planner_lock);
    fftw_destroy_plan(p);
  }
};
using Plan = std::unique_ptr<std::remove_pointer_t<fftw_plan>, PlanDestroy>;

}  // namespace

std::vector<std::complex<double>> real_spectrum(std::span<const double> samples, std::size_t n) {
  if (n == 0) return {};
  FftwArray<double> in(static_cast<double*>(fftw_malloc(sizeof(double) * n)));
  FftwArray<fftw_complex> out(static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * (n / 2 + 1))));
  if (!in || !out) return {};
  Plan plan;
  {
    const std::lock_guard lock(planner_lock);
    plan.reset(fftw_plan_dft_r2c_1d(static_cast<int>(n), in.get(), out.get(), FFTW_ESTIMATE));
  }
  if (!plan) return {};
  const std::size_t used = std::min(n, samples.size());
  std::copy_n(samples.begin(), used, in.get());
  std::fill(in.get() + used, in.get() + n, 0.0);
  fftw_execute(plan.get());
  std::vector<std::complex<double>> bins(n / 2 + 1);
  for (std::size_t k = 0; k < bins.size(); ++k) bins[k] = {out[k][0], out[k][1]};
  return bins;
}

std::complex<double> spectrum_at(std::span<const double> samples, double frequency, double origin) {
  std::complex<double> sum;
  const double w = 2 * std::numbers::pi * frequency;
  for (std::size_t i = 0; i < samples.size(); ++i)
    if (samples[i] != 0.0) sum += samples[i] * std::polar(1.0, -w * (origin + static_cast<double>(i)));
  return sum;
}

double group_delay_at(std::span<const double> samples, double frequency, double origin) {
  // For H = sum h[n] e^(-jwn), the group delay is Re(sum n h[n] e^(-jwn) / H).
  std::complex<double> h, nh;
  const double w = 2 * std::numbers::pi * frequency;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (samples[i] == 0.0) continue;
    const double t = origin + static_cast<double>(i);
    const std::complex<double> term = samples[i] * std::polar(1.0, -w * t);
    h += term;
    nh += t * term;
  }
  return std::abs(h) == 0.0 ? 0.0 : (nh / h).real();
}

double decibels(double magnitude) { return magnitude > 1e-20 ? 20.0 * std::log10(magnitude) : -400.0; }

}  // namespace sonvale::analysis
