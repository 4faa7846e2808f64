#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace sonvale::analysis {

// A steady tone measured in a segment of output that holds a whole number of its
// periods (the tone sits exactly on a bin, so the plain transform has no leakage and
// every other bin is what the system added).
struct ToneLevels {
  double frequency_hz = 0;
  double level_db = 0;  // the tone in the output against the tone in the input
  double spur_hz = 0;   // the largest other component: an image, an alias or noise
  double spur_db = 0;   // against the input tone
};

ToneLevels measure_tone(std::span<const double> segment, std::size_t tone_bin, double output_rate,
                        double amplitude);

// Each bin's level against a tone of `amplitude`, bins 0 .. segment.size() / 2.
std::vector<double> segment_levels(std::span<const double> segment, double amplitude);

// A step from silence to a steady level, measured around its output.
struct StepFigures {
  double half_point_frames = 0;   // where the output crosses half the height, from multiplier × the step frame
  double pre_ring_ms = 0;         // how long before that the output stirs by more than 1/1000 of the height
  double overshoot_percent = 0;   // highest output above the height
  double settle_ms = 0;           // how long after it until the output stays within 1/1000 of the height
};

// `output` at the output rate; the input stepped up to `height` (above 0) at the
// source frame an even up-sampler puts at output frame step_output_frame.
StepFigures measure_step(std::span<const double> output, std::size_t step_output_frame, double height,
                         double output_rate);

}  // namespace sonvale::analysis
