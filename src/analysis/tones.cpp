#include "analysis/tones.h"

#include <algorithm>
#include <cmath>

#include "analysis/spectrum.h"

namespace sonvale::analysis {
namespace {

constexpr double kStirShare = 1e-3;

}  // namespace

std::vector<double> segment_levels(std::span<const double> segment, double amplitude) {
  const auto bins = real_spectrum(segment, segment.size());
  std::vector<double> levels(bins.size());
  const double scale = 2.0 / static_cast<double>(segment.size()) / amplitude;
  for (std::size_t k = 0; k < bins.size(); ++k)
    levels[k] = decibels(std::abs(bins[k]) * ((k == 0 || 2 * k == segment.size()) ? scale / 2 : scale));
  return levels;
}

ToneLevels measure_tone(std::span<const double> segment, std::size_t tone_bin, double output_rate,
                        double amplitude) {
  const std::vector<double> levels = segment_levels(segment, amplitude);
  const double bin_hz = output_rate / static_cast<double>(segment.size());
  ToneLevels tone;
  tone.frequency_hz = static_cast<double>(tone_bin) * bin_hz;
  tone.level_db = tone_bin < levels.size() ? levels[tone_bin] : -400.0;
  tone.spur_db = -400.0;
  for (std::size_t k = 0; k < levels.size(); ++k)
    if (k != tone_bin && levels[k] > tone.spur_db) {
      tone.spur_db = levels[k];
      tone.spur_hz = static_cast<double>(k) * bin_hz;
    }
  return tone;
}

StepFigures measure_step(std::span<const double> output, std::size_t step_output_frame, double height,
                         double output_rate) {
  StepFigures step;
  const double half = height / 2, stir = kStirShare * height;
  std::size_t cross = output.size();
  for (std::size_t i = 1; i < output.size(); ++i)
    if (output[i - 1] < half && output[i] >= half) {
      cross = i;
      break;
    }
  if (cross == output.size()) return step;
  const double part = (half - output[cross - 1]) / (output[cross] - output[cross - 1]);
  const double half_point = static_cast<double>(cross - 1) + part;
  step.half_point_frames = half_point - static_cast<double>(step_output_frame);

  std::size_t first_stir = cross;
  for (std::size_t i = 0; i < cross; ++i)
    if (std::abs(output[i]) > stir) {
      first_stir = i;
      break;
    }
  step.pre_ring_ms = std::max(0.0, half_point - static_cast<double>(first_stir)) / output_rate * 1000.0;

  double highest = height;
  std::size_t last_astray = cross;
  for (std::size_t i = cross; i < output.size(); ++i) {
    highest = std::max(highest, output[i]);
    if (std::abs(output[i] - height) > stir) last_astray = i;
  }
  step.overshoot_percent = (highest - height) / height * 100.0;
  step.settle_ms = std::max(0.0, static_cast<double>(last_astray) - half_point) / output_rate * 1000.0;
  return step;
}

}  // namespace sonvale::analysis
