#include "analysis/engine_runs.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>

#include "engine/block_processing.h"

namespace sonvale::analysis {
namespace {

using engine::Frame;

// Where the test signals put their event, in source frames: far enough in that the
// longest chain (about 6,200 source frames each way, plus its latency) has settled.
constexpr std::int64_t kEventFrame = 12'288;
constexpr std::int64_t kImpulseStreamFrames = 2 * kEventFrame;
// Tones: a segment of 4,096 source frames (bins of about 11 Hz) with room to settle
// on both sides.
constexpr std::int64_t kToneSegmentFrames = 4096;
constexpr double kToneAmplitude = 0.5;
// The step: silence, then this level to well past the frames measured.
constexpr double kStepHeight = 0.5;
constexpr std::int64_t kStepStreamFrames = 4 * kEventFrame;
constexpr std::int64_t kStepShownFrames = 512;  // each side of the half point, source frames

int multiplier_of(Combination c) { return engine::info_of(c.mode).multiplier; }

std::vector<double> left_channel(const std::vector<Frame>& frames) {
  std::vector<double> left(frames.size());
  std::transform(frames.begin(), frames.end(), left.begin(), [](const Frame& f) { return double{f.left}; });
  return left;
}

// The frames of `samples` from the first non-zero one to the last, with the index
// the first had relative to `origin`.
ImpulseResponse trimmed(const std::vector<double>& samples, std::int64_t origin, int multiplier) {
  const auto nonzero = [](double v) { return v != 0.0; };
  const auto first = std::find_if(samples.begin(), samples.end(), nonzero);
  if (first == samples.end()) return {{}, 0, multiplier};
  const auto last = std::find_if(samples.rbegin(), samples.rend(), nonzero).base();
  return {{first, last}, (first - samples.begin()) - origin, multiplier};
}

}  // namespace

std::vector<Combination> offered_combinations() {
  std::vector<Combination> all;
  for (const engine::SoundModeInfo& info : engine::kSoundModes) {
    if (info.mode == engine::SoundMode::Green1) {
      all.push_back({info.mode, engine::kPostFilterOff});
      continue;
    }
    for (int filter = 0; filter <= engine::kPostFilterHamming2047; ++filter) all.push_back({info.mode, filter});
  }
  return all;
}

std::string post_filter_name(int post_filter) {
  static const char* const names[] = {"LPF blue", "LPF green", "LPF red", "LPF brown"};
  return post_filter >= 0 && post_filter < 4 ? names[post_filter] : "LPF ?";
}

std::string combination_label(Combination c) {
  return std::string(engine::info_of(c.mode).label) + ", " + post_filter_name(c.post_filter);
}

std::string combination_slug(Combination c) {
  std::string slug;
  for (char ch : std::string(engine::info_of(c.mode).label) + " " + post_filter_name(c.post_filter)) {
    if (ch == ' ') {
      if (!slug.empty() && slug.back() != '-') slug += '-';
    } else {
      slug += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
  }
  // "green-x-1-lpf-blue" reads better as "green-x1-lpf-blue".
  for (std::size_t at; (at = slug.find("-x-")) != std::string::npos;) slug.replace(at, 3, "-x");
  return slug;
}

ImpulseResponse EngineRuns::impulse_response(Combination c) const {
  std::vector<Frame> stream(kImpulseStreamFrames, Frame{0, 0});
  stream[kEventFrame].left = 1.0f;
  const auto output = engine::process_stream(stream, c.mode, c.post_filter, tables_, threads_);
  const int multiplier = multiplier_of(c);
  return trimmed(left_channel(output), multiplier * kEventFrame, multiplier);
}

ImpulseResponse EngineRuns::post_filter_response(int post_filter) const {
  // Any one-rate chain will do: the filter sees only its final buffer.
  std::vector<Frame> input(kImpulseStreamFrames + engine::kPostFilterReach, Frame{0, 0});
  input[kEventFrame].left = 1.0f;
  const auto output = left_channel(engine::post_filter_stream(input, engine::SoundMode::Red1, post_filter,
                                                              tables_, threads_));
  // Input frame kEventFrame is weighed by output frame m with tap kEventFrame - m.
  std::vector<double> taps(output.rbegin(), output.rend());
  return trimmed(taps, static_cast<std::int64_t>(output.size()) - 1 - kEventFrame, 1);
}

EngineRuns::ToneSweep EngineRuns::tone_sweep(Combination c, double source_rate, double step_hz) const {
  const int multiplier = multiplier_of(c);
  const double output_rate = source_rate * multiplier;
  std::vector<std::size_t> bins;
  const double source_bin_hz = source_rate / kToneSegmentFrames;
  for (double f = step_hz / 2; f < source_rate / 2; f = (f < step_hz ? step_hz : f + step_hz)) {
    const auto bin = static_cast<std::size_t>(std::llround(f / source_bin_hz));
    if (bin > 0 && bin < kToneSegmentFrames / 2) bins.push_back(bin);
  }
  const std::size_t near_1khz = static_cast<std::size_t>(std::llround(1000.0 / source_bin_hz));
  if (std::find(bins.begin(), bins.end(), near_1khz) == bins.end())
    bins.insert(std::upper_bound(bins.begin(), bins.end(), near_1khz), near_1khz);

  ToneSweep sweep;
  sweep.spectrum_bin_hz = source_bin_hz;
  // Two tones per run, one in each channel: the channels never meet in the engine.
  const std::size_t half = (bins.size() + 1) / 2;
  std::vector<ToneLevels> measured(bins.size());
  for (std::size_t run = 0; run < half; ++run) {
    const std::size_t left_bin = bins[run];
    const std::size_t right_bin = run + half < bins.size() ? bins[run + half] : 0;
    std::vector<Frame> stream(2 * kEventFrame + kToneSegmentFrames);
    for (std::size_t n = 0; n < stream.size(); ++n) {
      const double phase = 2 * std::numbers::pi * static_cast<double>(n % kToneSegmentFrames) / kToneSegmentFrames;
      stream[n] = {static_cast<float>(kToneAmplitude * std::sin(phase * static_cast<double>(left_bin))),
                   static_cast<float>(kToneAmplitude * std::sin(phase * static_cast<double>(right_bin)))};
    }
    const auto output = engine::process_stream(stream, c.mode, c.post_filter, tables_, threads_);
    const std::size_t from = static_cast<std::size_t>(multiplier * kEventFrame);
    const std::size_t length = static_cast<std::size_t>(multiplier * kToneSegmentFrames);
    std::vector<double> left(length), right(length);
    for (std::size_t i = 0; i < length; ++i) {
      left[i] = output[from + i].left;
      right[i] = output[from + i].right;
    }
    measured[run] = measure_tone(left, left_bin, output_rate, kToneAmplitude);
    if (right_bin != 0) measured[run + half] = measure_tone(right, right_bin, output_rate, kToneAmplitude);
    if (left_bin == near_1khz) sweep.spectrum_1khz = segment_levels(left, kToneAmplitude);
    if (right_bin == near_1khz) sweep.spectrum_1khz = segment_levels(right, kToneAmplitude);
  }
  sweep.tones = std::move(measured);
  return sweep;
}

EngineRuns::StepRun EngineRuns::step(Combination c, double source_rate) const {
  std::vector<Frame> stream(kStepStreamFrames, Frame{0, 0});
  std::fill(stream.begin() + kEventFrame, stream.end(), Frame{static_cast<float>(kStepHeight), 0});
  const int multiplier = multiplier_of(c);
  auto output = left_channel(engine::process_stream(stream, c.mode, c.post_filter, tables_, threads_));
  // The stream's end (a step back down) must not reach the frames measured.
  output.resize(static_cast<std::size_t>(multiplier * (kStepStreamFrames - kEventFrame)));
  StepRun run;
  const std::size_t step_frame = static_cast<std::size_t>(multiplier * kEventFrame);
  run.figures = measure_step(output, step_frame, kStepHeight, source_rate * multiplier);
  const auto centre = static_cast<std::int64_t>(step_frame) + std::llround(run.figures.half_point_frames);
  const std::int64_t shown = multiplier * kStepShownFrames;
  const std::int64_t from = std::max<std::int64_t>(0, centre - shown);
  const std::int64_t to = std::min<std::int64_t>(static_cast<std::int64_t>(output.size()), centre + shown);
  run.output.assign(output.begin() + from, output.begin() + to);
  run.before = static_cast<std::int64_t>(step_frame) - from;
  return run;
}

double EngineRuns::cost_per_frame(Combination c, std::int64_t frames, int threads) const {
  std::vector<Frame> noise(static_cast<std::size_t>(frames));
  std::uint32_t state = 12345;
  const auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(static_cast<double>(state >> 8) / (1 << 24) * 1.8 - 0.9);
  };
  for (Frame& f : noise) f = {next(), next()};
  const auto start = std::chrono::steady_clock::now();
  const auto output = engine::process_stream(noise, c.mode, c.post_filter, tables_, threads);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return output.empty() && !noise.empty() ? 0.0 : took.count() / static_cast<double>(frames);
}

}  // namespace sonvale::analysis
