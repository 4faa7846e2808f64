#include "analysis/response.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "analysis/spectrum.h"

namespace sonvale::analysis {
namespace {

constexpr double kDelayFrequencyHz = 1000.0;
// The "-3 dB" point is where half the power is left: -3.0103 dB.
const double kHalfPowerDb = -10.0 * std::log10(2.0);
// Fine enough that the -3 dB point and ripple come out to well under 1 Hz.
constexpr std::size_t kMeasuringPoints = std::size_t{1} << 18;
// Float output: differences below this share of the peak are rounding.
constexpr double kSymmetryTolerance = 1e-6;

bool symmetric(std::span<const double> taps, double centre) {
  const auto doubled = static_cast<std::int64_t>(std::llround(2 * centre));
  double peak = 0;
  for (double t : taps) peak = std::max(peak, std::abs(t));
  const auto at = [&](std::int64_t i) {
    return i >= 0 && i < static_cast<std::int64_t>(taps.size()) ? taps[static_cast<std::size_t>(i)] : 0.0;
  };
  for (std::int64_t i = 0; i < static_cast<std::int64_t>(taps.size()); ++i)
    if (std::abs(at(i) - at(doubled - i)) > kSymmetryTolerance * peak) return false;
  return true;
}

// The transform, on the source frames' time axis, of the frames that fall on output
// phase `phase`.
std::complex<double> phase_spectrum(const ImpulseResponse& r, int phase, double cycles_per_source_frame) {
  std::complex<double> sum;
  const double w = 2 * std::numbers::pi * cycles_per_source_frame;
  for (std::size_t i = 0; i < r.taps.size(); ++i) {
    const std::int64_t frame = r.first + static_cast<std::int64_t>(i);
    if (((frame % r.multiplier) + r.multiplier) % r.multiplier != phase || r.taps[i] == 0.0) continue;
    sum += r.taps[i] * std::polar(1.0, -w * static_cast<double>(frame - phase) / r.multiplier);
  }
  return sum;
}

// The first frequency, interpolated between bins, where the level falls below `limit`.
std::optional<double> first_below(std::span<const double> levels, double limit, double bin_hz) {
  for (std::size_t k = 1; k < levels.size(); ++k)
    if (levels[k] < limit) {
      const double span = levels[k - 1] - levels[k];
      const double part = span > 0 ? (levels[k - 1] - limit) / span : 0.0;
      return (static_cast<double>(k - 1) + part) * bin_hz;
    }
  return std::nullopt;
}

}  // namespace

Passband passband_of(double source_rate) { return {20.0, std::min(20'000.0, 0.95 * source_rate / 2)}; }

std::size_t power_of_two_at_least(std::size_t at_least) {
  std::size_t n = 1;
  while (n < at_least) n *= 2;
  return n;
}

std::vector<double> response_levels(const ImpulseResponse& response, std::size_t n) {
  const auto bins = real_spectrum(response.taps, n);
  std::vector<double> levels(bins.size());
  for (std::size_t k = 0; k < bins.size(); ++k) levels[k] = decibels(std::abs(bins[k]) / response.multiplier);
  return levels;
}

ResponseFigures measure_response(const ImpulseResponse& response, double source_rate) {
  ResponseFigures figures;
  const int multiplier = response.multiplier;
  const double output_rate = source_rate * multiplier;
  const std::size_t n = std::max(kMeasuringPoints, power_of_two_at_least(4 * response.taps.size()));
  const std::vector<double> levels = response_levels(response, n);
  const double bin_hz = output_rate / static_cast<double>(n);
  const auto bin_of = [&](double hz) {
    return std::min(levels.size() - 1, static_cast<std::size_t>(std::llround(hz / bin_hz)));
  };

  const Passband band = passband_of(source_rate);
  const auto pass = std::span(levels).subspan(bin_of(band.low_hz), bin_of(band.high_hz) - bin_of(band.low_hz) + 1);
  figures.ripple_db = *std::max_element(pass.begin(), pass.end()) - *std::min_element(pass.begin(), pass.end());
  figures.minus_3db_hz = first_below(levels, levels[0] + kHalfPowerDb, bin_hz);
  figures.at_source_nyquist_db =
      decibels(std::abs(spectrum_at(response.taps, source_rate / 2 / output_rate)) / multiplier);
  if (multiplier > 1) {
    const std::size_t from = bin_of(source_rate - band.high_hz);
    figures.image_band_db = *std::max_element(levels.begin() + static_cast<std::ptrdiff_t>(from), levels.end());
  }

  const double delay_cycles = kDelayFrequencyHz / output_rate;
  figures.delay_frames = group_delay_at(response.taps, delay_cycles, static_cast<double>(response.first));
  figures.delay_ms = figures.delay_frames / output_rate * 1000.0;
  figures.linear_phase = symmetric(response.taps, figures.delay_frames - static_cast<double>(response.first));

  if (multiplier > 1) {
    // Each phase is a filter at the source rate. Its delay relative to phase 0 comes
    // from the phase difference at 1 kHz, which is unambiguous for offsets of less
    // than half a period and, unlike the group delay, not swayed by the ripple of
    // the kernels' truncation. An even up-sampler delays phase r by r / multiplier
    // source frames less than phase 0.
    const double w = 2 * std::numbers::pi * kDelayFrequencyHz / source_rate;
    const std::complex<double> reference = phase_spectrum(response, 0, kDelayFrequencyHz / source_rate);
    std::vector<double> lead(multiplier);  // source frames the phase shows later than its place, against phase 0
    double mean = 0;
    for (int r = 0; r < multiplier; ++r) {
      const std::complex<double> g = phase_spectrum(response, r, kDelayFrequencyHz / source_rate);
      const double delay = -std::arg(g / reference) / w;
      lead[r] = -delay - static_cast<double>(r) / multiplier;
      mean += lead[r] / multiplier;
    }
    for (int r = 0; r < multiplier; ++r) figures.frame_offsets.push_back(multiplier * (lead[r] - mean));
  }
  return figures;
}

}  // namespace sonvale::analysis
