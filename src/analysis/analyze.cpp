#include "analysis/analyze.h"

#include <chrono>
#include <fstream>
#include <ostream>

#include "analysis/output_folder.h"
#include "analysis/plots.h"
#include "analysis/report.h"
#include "engine/isa.h"
#include "platform/cpu.h"
#include "platform/process.h"

namespace sonvale::analysis {
namespace {

// The post filters alone are measured at this rate; their figures, as shares of
// it, hold at any rate.
constexpr double kPostFilterRate = 44'100;

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string processor_name() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);)
    if (line.starts_with("model name")) {
      const auto colon = line.find(':');
      if (colon != std::string::npos) return line.substr(colon + 2);
    }
  return "an unnamed processor";
}

std::string machine_text(int threads) {
  return processor_name() + ", " + std::to_string(threads) + (threads == 1 ? " processor" : " processors") +
         ", dot products in " + std::string(engine::isa_name(engine::active_isa()));
}

struct Costs {
  std::optional<double> one, all;  // seconds per source frame
};

}  // namespace

std::optional<std::vector<Combination>> combinations_for(std::optional<engine::SoundMode> mode,
                                                         std::optional<int> post_filter, std::string& error) {
  std::vector<Combination> chosen;
  for (const Combination& c : offered_combinations())
    if ((!mode || c.mode == *mode) && (!post_filter || c.post_filter == *post_filter)) chosen.push_back(c);
  if (chosen.empty()) {
    error = "Green x 1 plays without a post filter: give it --lpf 0 or no --lpf";
    return std::nullopt;
  }
  return chosen;
}

int run_analysis(const AnalysisRequest& request, std::ostream& progress, std::ostream& errors) {
  std::string error;
  const auto folder = OutputFolder::open(request.directory, error);
  if (!folder) {
    errors << "sonvale: " << error << "\n";
    return 1;
  }
  const std::vector<Combination> combinations =
      request.combinations.empty() ? offered_combinations() : request.combinations;
  const int threads = request.threads > 0 ? request.threads : platform::count_processors();
  const engine::TableSet tables;
  const EngineRuns runs(tables.view(), threads);
  const auto failed = [&] {
    errors << "sonvale: " << error << "\n";
    return 1;
  };

  std::vector<PostFilterResult> filters;
  if (combinations.size() > 1) {
    progress << "post filters alone" << std::endl;
    for (int f = engine::kPostFilterOff; f <= engine::kPostFilterHamming2047; ++f) {
      PostFilterResult result{f, kPostFilterRate, runs.post_filter_response(f), {}};
      result.response = measure_response(result.impulse, kPostFilterRate);
      filters.push_back(std::move(result));
    }
    if (!write_post_filter_files(*folder, filters, error)) return failed();
  }

  std::vector<CombinationResult> results;
  std::vector<Costs> costs(combinations.size());
  std::vector<OutputFolder> rate_folders;
  const std::size_t total = combinations.size() * request.source_rates.size();
  for (double rate : request.source_rates) {
    const auto rate_dir = folder->subfolder(rate_folder(rate), error);
    if (!rate_dir) return failed();
    rate_folders.push_back(*rate_dir);
    for (std::size_t i = 0; i < combinations.size(); ++i) {
      const Combination c = combinations[i];
      const auto start = Clock::now();
      progress << "[" << results.size() + 1 << "/" << total << "] " << format_number(rate, 0) << " Hz, "
               << combination_label(c) << ":" << std::flush;
      CombinationResult r;
      r.combination = c;
      r.source_rate = rate;
      progress << " impulse" << std::flush;
      r.impulse = runs.impulse_response(c);
      r.response = measure_response(r.impulse, rate);
      progress << ", tones" << std::flush;
      r.sweep = runs.tone_sweep(c, rate, request.tone_step_hz);
      progress << ", step" << std::flush;
      r.step = runs.step(c, rate);
      if (request.cost_frames > 0) {
        // The engine's work per frame does not depend on the rate: timed once.
        if (!costs[i].one) {
          progress << ", cost" << std::flush;
          costs[i].one = runs.cost_per_frame(c, request.cost_frames, 1);
          costs[i].all = runs.cost_per_frame(c, request.cost_frames, threads);
        }
        r.cost_one_thread = *costs[i].one * rate;
        r.cost_all_threads = *costs[i].all * rate;
        r.all_threads = threads;
      }
      if (!write_combination_files(*rate_dir, r, error)) return failed();
      progress << " (" << format_number(seconds_since(start), 1) << " s)" << std::endl;
      results.push_back(std::move(r));
    }
  }

  if (!folder->write("summary.csv", summary_csv(results), error) ||
      !folder->write("summary.md", summary_markdown(results, filters, machine_text(threads)), error))
    return failed();

  if (!request.plots) return 0;
  progress << "drawing the plots with gnuplot" << std::endl;
  // gnuplot makes its PNGs anew, inside the folder: none may be a link to elsewhere.
  folder->remove("summary.png");
  for (std::size_t i = 0; i < results.size(); ++i)
    rate_folders[i / combinations.size()].remove(combination_slug(results[i].combination) + ".png");
  if (!folder->write("plots.gp", plot_script(results, filters), error)) return failed();
  const int status = platform::run_and_wait({"gnuplot", "plots.gp"}, folder->path());
  if (status != 0) {
    errors << "sonvale: gnuplot " << (status < 0 ? "could not be started" : "failed")
           << ", so the plots are missing; the figures are in " << folder->file("summary.md")
           << " (gnuplot comes with the package gnuplot-nox)\n";
    return 1;
  }
  progress << "done: " << folder->file("summary.md") << std::endl;
  return 0;
}

}  // namespace sonvale::analysis
