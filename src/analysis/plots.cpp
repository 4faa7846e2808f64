#include "analysis/plots.h"

#include <algorithm>
#include <sstream>

namespace sonvale::analysis {
namespace {

const char* const kPreamble =
    "set terminal pngcairo size 1500,1100 font 'DejaVu Sans,10' noenhanced\n"
    "set datafile separator ','\n"
    "set grid\n";

std::string khz(double hz) { return format_number(hz / 1000.0, 3); }

// Each mode drawn in its selector's colour, darker for a higher multiplier.
const char* mode_colour(engine::SoundMode mode) {
  switch (mode) {
    case engine::SoundMode::Green1: return "#7cb342";
    case engine::SoundMode::Red1: return "#e53935";
    case engine::SoundMode::Green2: return "#2e7d32";
    case engine::SoundMode::Brown2: return "#a1887f";
    case engine::SoundMode::White2: return "#90a4ae";
    case engine::SoundMode::Green4: return "#00897b";
    case engine::SoundMode::Red4: return "#8e0000";
    case engine::SoundMode::Brown4: return "#5d4037";
    case engine::SoundMode::White4: return "#37474f";
  }
  return "black";
}

// Output frames shown each side of the impulse response's centre.
constexpr int kImpulseShownFrames = 40;

void combination_plot(std::ostringstream& gp, const CombinationResult& r) {
  const std::string data = rate_folder(r.source_rate) + "/" + combination_slug(r.combination);
  const double nyquist = r.source_rate / 2, output_nyquist = r.output_rate() / 2;
  const double centre = r.response.delay_frames, reach = kImpulseShownFrames * r.impulse.multiplier;
  gp << "reset\nset datafile separator ','\nset grid\nset key off\n"
     << "set output '" << data << ".png'\n"
     << "set multiplot layout 3,2 title '" << combination_label(r.combination) << " — "
     << format_number(r.source_rate, 0) << " Hz in, " << format_number(r.output_rate(), 0) << " Hz out'\n"
     << "set arrow 1 from " << khz(nyquist) << ", graph 0 to " << khz(nyquist)
     << ", graph 1 nohead dashtype 2 lc rgb 'gray40'\n"
     << "set title 'Magnitude response (dashed: source Nyquist)'\nset xlabel 'kHz'\nset ylabel 'dB'\n"
     << "set xrange [0:" << khz(output_nyquist) << "]\nset yrange [-180:10]\n"
     << "plot '" << data << "-magnitude.csv' skip 1 using ($1/1000):2 with lines lw 1.5 lc rgb '#1060c0'\n"
     << "unset arrow 1\n"
     << "set title 'Passband'\nset xrange [0:" << khz(nyquist) << "]\nset yrange [-3.5:0.5]\n"
     << "plot '" << data << "-magnitude.csv' skip 1 using ($1/1000):2 with lines lw 1.5 lc rgb '#1060c0'\n"
     << "set title 'Impulse response around its centre (" << format_number(centre, 1)
     << " frames late)'\nset xlabel 'output frames after the input'\nset ylabel ''\n"
     << "set xrange [" << format_number(centre - reach, 1) << ":" << format_number(centre + reach, 1)
     << "]\nset yrange [*:*]\n"
     << "plot '" << data << "-impulse.csv' skip 1 using 1:3 with linespoints pt 7 ps 0.5 lc rgb '#c03010'\n"
     << "set title 'Step from silence to 0.5'\nset xlabel 'ms after the input'\nset xrange [*:*]\n"
     << "plot '" << data << "-step.csv' skip 1 using 2:3 with lines lw 1.5 lc rgb '#c03010'\n"
     << "set title 'Spectrum of a 1 kHz tone through it'\nset xlabel 'kHz'\nset ylabel 'dB'\n"
     << "set xrange [0:" << khz(output_nyquist) << "]\nset yrange [-180:10]\n"
     << "plot '" << data << "-tone-1khz.csv' skip 1 using ($1/1000):2 with lines lc rgb '#208040'\n"
     << "set title 'Tones up to the source Nyquist: the tone, and the largest other component'\nset key bottom left\n"
     << "set xrange [0:" << khz(nyquist) << "]\n"
     << "plot '" << data << "-tones.csv' skip 1 using ($1/1000):2 with linespoints pt 7 ps 0.6 title 'tone', '"
     << data << "-tones.csv' skip 1 using ($1/1000):4 with linespoints pt 5 ps 0.6 title 'largest other'\n"
     << "unset multiplot\n";
}

// One result per mode: with the post filter the player starts with (Green x 1 has
// none) where it was measured, else the first filter measured.
std::vector<const CombinationResult*> one_per_mode(const std::vector<CombinationResult>& results, double rate) {
  std::vector<const CombinationResult*> chosen;
  for (const engine::SoundModeInfo& info : engine::kSoundModes) {
    const CombinationResult* pick = nullptr;
    for (const CombinationResult& r : results)
      if (r.source_rate == rate && r.combination.mode == info.mode &&
          (!pick || r.combination.post_filter == engine::kPostFilterHamming255))
        pick = &r;
    if (pick) chosen.push_back(pick);
  }
  return chosen;
}

void summary_plot(std::ostringstream& gp, const std::vector<CombinationResult>& results,
                  const std::vector<PostFilterResult>& filters) {
  if (results.empty()) return;
  const double rate = results.front().source_rate;
  const auto chosen = one_per_mode(results, rate);
  if (chosen.empty() && filters.empty()) return;
  double widest = rate / 2;
  for (const CombinationResult* r : chosen) widest = std::max(widest, r->output_rate() / 2);

  const auto curves = [&](const char* columns) {
    std::string plot = "plot ";
    for (std::size_t i = 0; i < chosen.size(); ++i) {
      const CombinationResult& r = *chosen[i];
      plot += (i ? ", '" : "'") + rate_folder(rate) + "/" + combination_slug(r.combination) +
              "-magnitude.csv' skip 1 using " + columns + " with lines lw 1.5 dashtype " +
              std::to_string(r.impulse.multiplier == 4 ? 4 : r.impulse.multiplier) + " lc rgb '" +
              mode_colour(r.combination.mode) + "' title '" + combination_label(r.combination) + "'";
    }
    return plot + "\n";
  };
  gp << "reset\nset datafile separator ','\nset grid\n"
     << "set output 'summary.png'\n"
     << "set multiplot layout 2,2 title 'Sound modes compared — " << format_number(rate, 0)
     << " Hz in (each mode with LPF green where it was measured)'\n";
  if (!chosen.empty()) {
    gp << "set key bottom left font ',9'\nset title 'Magnitude response'\nset xlabel 'kHz'\nset ylabel 'dB'\n"
       << "set xrange [0:" << khz(widest) << "]\nset yrange [-180:10]\n"
       << curves("($1/1000):2")
       << "set key off\nset title 'Passband'\nset xrange [0:" << khz(rate / 2) << "]\nset yrange [-3.5:0.5]\n"
       << curves("($1/1000):2")
       << "set title 'Around the source Nyquist frequency'\nset xrange [" << khz(rate / 2 - 4000) << ":"
       << khz(rate / 2 + 4000) << "]\nset yrange [-30:3]\n"
       << curves("($1/1000):2");
  }
  if (!filters.empty()) {
    gp << "set key bottom left\nset title 'The post filters alone, at the output rate'\n"
       << "set xlabel 'share of the output Nyquist frequency'\nset xrange [0.98:1]\nset yrange [-6:0.5]\nplot ";
    for (std::size_t i = 0; i < filters.size(); ++i)
      gp << (i ? ", " : "") << "'post-filters.csv' skip 1 using ($1*2):" << i + 2 << " with lines lw 1.5 title '"
         << post_filter_name(filters[i].post_filter) << "'";
    gp << "\n";
  }
  gp << "unset multiplot\n";
}

}  // namespace

std::string rate_folder(double source_rate) { return format_number(source_rate, 0); }

std::string plot_script(const std::vector<CombinationResult>& results, const std::vector<PostFilterResult>& filters) {
  std::ostringstream gp;
  gp << kPreamble;
  for (const CombinationResult& r : results) combination_plot(gp, r);
  summary_plot(gp, results, filters);
  return gp.str();
}

}  // namespace sonvale::analysis
