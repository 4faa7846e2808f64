#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/response.h"
#include "analysis/tones.h"
#include "engine/kernel_tables.h"
#include "engine/sound_mode.h"

namespace sonvale::analysis {

// A Sound mode with a post filter, as the window lets a listener choose them.
struct Combination {
  engine::SoundMode mode;
  int post_filter;
};

// The 33 the window offers: Green x 1 without a post filter, every other mode with
// each of the four.
std::vector<Combination> offered_combinations();

std::string post_filter_name(int post_filter);  // "LPF blue", "LPF green", ...
std::string combination_label(Combination c);   // "Brown x 2, LPF green"
std::string combination_slug(Combination c);    // "brown-x2-lpf-green", for file names

// Everything below runs the player's own engine (a whole stream as one last block),
// on `threads` processors.
class EngineRuns {
 public:
  EngineRuns(engine::Tables tables, int threads) : tables_(tables), threads_(threads) {}

  // The response to one frame of 1.0, cut to the frames it reaches.
  ImpulseResponse impulse_response(Combination c) const;

  // A post filter alone, as it runs after any chain: its input frames are the
  // chain's final buffer. Taps are indexed by how far an input frame lies after the
  // output frame that weighs it, so the response reads as the filter's taps.
  ImpulseResponse post_filter_response(int post_filter) const;

  // Tones at half a step, then every step, up to just below the source Nyquist
  // frequency, and one at 1 kHz, each measured in a steady part of the output. Also
  // gives the levels of the output for the 1 kHz tone, bin by bin.
  struct ToneSweep {
    std::vector<ToneLevels> tones;
    double spectrum_bin_hz = 0;
    std::vector<double> spectrum_1khz;
  };
  ToneSweep tone_sweep(Combination c, double source_rate, double step_hz) const;

  // Silence, then a steady level; the output around it and its figures.
  struct StepRun {
    std::vector<double> output;  // output frames from step_output_frame - before
    std::int64_t before = 0;
    StepFigures figures;
  };
  StepRun step(Combination c, double source_rate) const;

  // Seconds of computing per source frame, timed over `frames` frames of noise.
  double cost_per_frame(Combination c, std::int64_t frames, int threads) const;

 private:
  engine::Tables tables_;  // pointers into tables that outlive this
  int threads_;
};

}  // namespace sonvale::analysis
