#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sonvale::analysis {

// What one source frame of 1.0 becomes at the output rate. taps[i] is output frame
// first + i, counted from the frame where an even up-sampler would put the impulse
// (multiplier × its source frame). With a multiplier above 1 the system is periodic
// rather than time-invariant, but the one response still describes it completely:
// moving the input by one frame moves the output by `multiplier` frames.
struct ImpulseResponse {
  std::vector<double> taps;
  std::int64_t first = 0;
  int multiplier = 1;
};

// The band a listener hears, for the passband figures: 20 Hz to 20 kHz, or to 95 %
// of the source Nyquist frequency at rates too low for that.
struct Passband {
  double low_hz;
  double high_hz;
};
Passband passband_of(double source_rate);

struct ResponseFigures {
  double ripple_db = 0;                // highest minus lowest level over the passband
  std::optional<double> minus_3db_hz;  // where half the power of 0 Hz is first left (-3.01 dB)
  double at_source_nyquist_db = 0;     // level at half the source rate
  // Multiplier 2 and 4: the highest level from the first image of the passband's top
  // (source rate - passband top) to the output Nyquist frequency.
  std::optional<double> image_band_db;
  double delay_frames = 0;  // group delay at 1 kHz, output frames
  double delay_ms = 0;
  bool linear_phase = false;  // the response is symmetric about its centre
  // Multiplier 2 and 4: for each frame of a pair or group, how far (output frames)
  // the moment it shows lies after the place an even up-sampler gives it; all zero
  // for a correct interleave.
  std::vector<double> frame_offsets;
};

// Levels in dB are those of a tone in the output against the same tone in the input:
// the transform divided by the multiplier (each output frame holds one copy of the
// input's energy per phase).
ResponseFigures measure_response(const ImpulseResponse& response, double source_rate);

// Levels at bins 0 .. n / 2 of an n-point transform at the output rate.
std::vector<double> response_levels(const ImpulseResponse& response, std::size_t n);

// The smallest power of two at least `at_least`.
std::size_t power_of_two_at_least(std::size_t at_least);

}  // namespace sonvale::analysis
