#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/engine_runs.h"
#include "analysis/response.h"

namespace sonvale::analysis {

// Everything measured for one combination at one source rate.
struct CombinationResult {
  Combination combination;
  double source_rate = 0;
  ImpulseResponse impulse;
  ResponseFigures response;
  EngineRuns::ToneSweep sweep;
  EngineRuns::StepRun step;
  // Seconds of computing per second of audio; empty when not timed.
  std::optional<double> cost_one_thread, cost_all_threads;
  int all_threads = 1;

  double output_rate() const { return source_rate * impulse.multiplier; }
  // The tone of the passband whose largest other component is the loudest.
  std::optional<ToneLevels> largest_image() const;
};

// A post filter measured alone at its own rate.
struct PostFilterResult {
  int post_filter = 0;
  double rate = 0;  // the rate it was measured at; its figures scale with it
  ImpulseResponse impulse;
  ResponseFigures response;
};

// Figures as the reports print them.
std::string format_db(double db);
std::string format_number(double value, int decimals);

}  // namespace sonvale::analysis
