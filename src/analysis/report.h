#pragma once

#include <string>
#include <vector>

#include "analysis/output_folder.h"
#include "analysis/results.h"

namespace sonvale::analysis {

// Points of the magnitude files: bins 0 .. half of this many.
inline constexpr std::size_t kMagnitudePoints = 32768;

// The measured data of one combination, files named after its slug:
// -impulse.f64 (raw little-endian doubles, output frames from the first one the
// impulse reaches), -impulse.csv, -magnitude.csv, -tones.csv, -tone-1khz.csv and
// -step.csv.
bool write_combination_files(const OutputFolder& folder, const CombinationResult& result, std::string& error);

// post-filters.csv: each post filter's level against the fraction of its rate.
bool write_post_filter_files(const OutputFolder& folder, const std::vector<PostFilterResult>& filters,
                             std::string& error);

// One row per combination and rate.
std::string summary_csv(const std::vector<CombinationResult>& results);

// The same figures for a reader, with the post filters alone, the effect of the
// frame order in a pair or group, and what was measured on.
std::string summary_markdown(const std::vector<CombinationResult>& results,
                             const std::vector<PostFilterResult>& filters, const std::string& machine);

}  // namespace sonvale::analysis
