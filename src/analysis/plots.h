#pragma once

#include <string>
#include <vector>

#include "analysis/output_folder.h"
#include "analysis/results.h"

namespace sonvale::analysis {

// The gnuplot program that draws, inside the analysis folder: one PNG per
// combination (<rate>/<slug>.png: magnitude, passband, impulse, step, a 1 kHz tone and
// the tone sweep) and summary.png comparing the modes at the first rate. It reads
// the data files the report wrote, by paths relative to the analysis folder.
std::string plot_script(const std::vector<CombinationResult>& results, const std::vector<PostFilterResult>& filters);

// The folder, relative to the analysis folder, that holds a rate's files.
std::string rate_folder(double source_rate);

}  // namespace sonvale::analysis
