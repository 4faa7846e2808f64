#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "analysis/engine_runs.h"

namespace sonvale::analysis {

struct AnalysisRequest {
  std::string directory;
  std::vector<Combination> combinations;  // empty: all that the window offers
  std::vector<double> source_rates{44'100, 48'000};
  double tone_step_hz = 1000;
  // Source frames of noise timed per combination, once with one thread and once
  // with every processor; 0 leaves the cost out.
  std::int64_t cost_frames = 0;
  bool plots = true;  // draw the PNGs with gnuplot
  int threads = 0;    // processors the measuring runs use; 0: all there are
};

// The combinations a --mode and --lpf choice stands for: every one the window offers
// that matches. Nothing, with the reason in `error`, when the window offers none.
std::optional<std::vector<Combination>> combinations_for(std::optional<engine::SoundMode> mode,
                                                         std::optional<int> post_filter, std::string& error);

// Measures the combinations at each rate and writes the results into the request's
// folder (and nowhere else), telling its progress on `progress`. 0 when everything
// was written; 1, with the reason on `errors`, when the folder cannot be written or
// the plots cannot be drawn.
int run_analysis(const AnalysisRequest& request, std::ostream& progress, std::ostream& errors);

}  // namespace sonvale::analysis
