#include "analysis/report.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <sstream>

#include "analysis/spectrum.h"

namespace sonvale::analysis {
namespace {

static_assert(std::endian::native == std::endian::little, "raw doubles are written as they lie in memory");

// Offsets below this (output frames) are rounding: the frame sits where it belongs.
constexpr double kOffsetTolerance = 0.01;

std::string optional_number(const std::optional<double>& value, int decimals) {
  return value ? format_number(*value, decimals) : "";
}

std::string offsets_text(const std::vector<double>& offsets, const char* separator) {
  std::string text;
  for (std::size_t i = 0; i < offsets.size(); ++i)
    text += (i ? separator : "") + format_number(std::abs(offsets[i]) < kOffsetTolerance ? 0.0 : offsets[i], 2);
  return text;
}

bool out_of_place(const std::vector<double>& offsets) {
  return std::any_of(offsets.begin(), offsets.end(), [](double o) { return std::abs(o) >= kOffsetTolerance; });
}

// The tone of the sweep nearest `hz`.
const ToneLevels* tone_near(const CombinationResult& r, double hz) {
  const ToneLevels* best = nullptr;
  for (const ToneLevels& t : r.sweep.tones)
    if (!best || std::abs(t.frequency_hz - hz) < std::abs(best->frequency_hz - hz)) best = &t;
  return best;
}

std::string cost_text(const std::optional<double>& cost) {
  return cost ? format_number(*cost, 3) : "";
}

void write_table(std::ostringstream& md, const std::vector<CombinationResult>& results, double rate) {
  md << "| Sound mode | Post filter | Output rate (Hz) | Ripple (dB) | -3 dB (Hz) | At source Nyquist (dB) "
        "| Image band (dB) | Largest image or alias (dB) | Latency (frames) | Latency (ms) | Linear phase "
        "| Frame offsets | Pre-ringing (ms) | Overshoot (%) | Cost, 1 thread | Cost, all |\n"
        "|---|---|--:|--:|--:|--:|--:|--:|--:|--:|---|---|--:|--:|--:|--:|\n";
  for (const CombinationResult& r : results) {
    if (r.source_rate != rate) continue;
    const auto image = r.largest_image();
    md << "| " << engine::info_of(r.combination.mode).label << " | " << post_filter_name(r.combination.post_filter)
       << " | " << format_number(r.output_rate(), 0) << " | " << format_number(r.response.ripple_db, 3) << " | "
       << (r.response.minus_3db_hz ? format_number(*r.response.minus_3db_hz, 0) : "none") << " | "
       << format_db(r.response.at_source_nyquist_db) << " | "
       << (r.response.image_band_db ? format_db(*r.response.image_band_db) : "-") << " | "
       << (image ? format_db(image->spur_db) + " (" + format_number(image->frequency_hz, 0) + " Hz tone)" : "-")
       << " | " << format_number(r.response.delay_frames, 1) << " | " << format_number(r.response.delay_ms, 2)
       << " | " << (r.response.linear_phase ? "yes" : "no") << " | "
       << (r.response.frame_offsets.empty() ? "-" : offsets_text(r.response.frame_offsets, " / ")) << " | "
       << format_number(r.step.figures.pre_ring_ms, 2) << " | " << format_number(r.step.figures.overshoot_percent, 2)
       << " | " << cost_text(r.cost_one_thread) << " | " << cost_text(r.cost_all_threads) << " |\n";
  }
}

void write_frame_order(std::ostringstream& md, const std::vector<CombinationResult>& results, double rate) {
  for (const CombinationResult& r : results) {
    if (r.source_rate != rate || r.combination.post_filter != engine::kPostFilterOff) continue;
    const auto& offsets = r.response.frame_offsets;
    if (offsets.empty()) continue;
    const std::string label(engine::info_of(r.combination.mode).label);
    const int multiplier = r.impulse.multiplier;
    const std::string group = multiplier == 2 ? "pair" : "group of four";
    if (!out_of_place(offsets)) {
      md << "- **" << label << "**: every frame of a " << group
         << " shows the sound at its own place (offsets below " << format_number(kOffsetTolerance, 2)
         << " frame).\n";
      continue;
    }
    md << "- **" << label << "**: the frames of each " << group
       << " do not show the sound in the order they are played. Measured at 1 kHz, frame by frame, "
          "the moment each one shows lies this many output frames after its place: "
       << offsets_text(offsets, ", ") << ". ";
    for (double hz : {1000.0, 5000.0, 10000.0, 15000.0}) {
      const ToneLevels* t = tone_near(r, hz);
      if (!t) continue;
      md << "A " << format_number(t->frequency_hz, 0) << " Hz tone comes out at " << format_db(t->level_db)
         << " dB, with " << format_db(t->spur_db) << " dB at " << format_number(t->spur_hz, 0) << " Hz. ";
    }
    md << "An even up-sampler would give the tone at 0 dB and the other components far below it.\n";
  }
}

}  // namespace

bool write_combination_files(const OutputFolder& folder, const CombinationResult& r, std::string& error) {
  const std::string slug = combination_slug(r.combination);
  const double output_rate = r.output_rate();
  const auto& taps = r.impulse.taps;

  std::string raw(reinterpret_cast<const char*>(taps.data()), taps.size() * sizeof(double));
  std::ostringstream impulse, magnitude, tones, tone, step;
  impulse.precision(17);
  impulse << "frame,ms,value\n";
  for (std::size_t i = 0; i < taps.size(); ++i) {
    const auto frame = r.impulse.first + static_cast<std::int64_t>(i);
    impulse << frame << "," << static_cast<double>(frame) / output_rate * 1000.0 << "," << taps[i] << "\n";
  }
  const auto levels = response_levels(r.impulse, kMagnitudePoints);
  magnitude << "hz,db\n";
  for (std::size_t k = 0; k < levels.size(); ++k)
    magnitude << static_cast<double>(k) * output_rate / kMagnitudePoints << "," << levels[k] << "\n";
  tones << "hz,level_db,largest_other_hz,largest_other_db\n";
  for (const ToneLevels& t : r.sweep.tones)
    tones << t.frequency_hz << "," << t.level_db << "," << t.spur_hz << "," << t.spur_db << "\n";
  tone << "hz,db\n";
  for (std::size_t k = 0; k < r.sweep.spectrum_1khz.size(); ++k)
    tone << static_cast<double>(k) * r.sweep.spectrum_bin_hz << "," << r.sweep.spectrum_1khz[k] << "\n";
  step.precision(9);
  step << "frame,ms,value\n";
  for (std::size_t i = 0; i < r.step.output.size(); ++i) {
    const auto frame = static_cast<std::int64_t>(i) - r.step.before;
    step << frame << "," << static_cast<double>(frame) / output_rate * 1000.0 << "," << r.step.output[i] << "\n";
  }
  return folder.write(slug + "-impulse.f64", raw, error) && folder.write(slug + "-impulse.csv", impulse.str(), error) &&
         folder.write(slug + "-magnitude.csv", magnitude.str(), error) &&
         folder.write(slug + "-tones.csv", tones.str(), error) &&
         folder.write(slug + "-tone-1khz.csv", tone.str(), error) && folder.write(slug + "-step.csv", step.str(), error);
}

bool write_post_filter_files(const OutputFolder& folder, const std::vector<PostFilterResult>& filters,
                             std::string& error) {
  std::vector<std::vector<double>> levels;
  for (const PostFilterResult& f : filters) levels.push_back(response_levels(f.impulse, kMagnitudePoints));
  std::ostringstream csv;
  csv << "fraction_of_rate";
  for (const PostFilterResult& f : filters) {
    std::string name = post_filter_name(f.post_filter);
    std::replace(name.begin(), name.end(), ' ', '_');
    csv << "," << name;
  }
  csv << "\n";
  for (std::size_t k = 0; k <= kMagnitudePoints / 2; ++k) {
    csv << static_cast<double>(k) / kMagnitudePoints;
    for (const auto& l : levels) csv << "," << l[k];
    csv << "\n";
  }
  return folder.write("post-filters.csv", csv.str(), error);
}

std::string summary_csv(const std::vector<CombinationResult>& results) {
  std::ostringstream csv;
  csv << "source_rate_hz,mode,post_filter,output_rate_hz,ripple_db,minus_3db_hz,at_source_nyquist_db,"
         "image_band_db,largest_image_db,largest_image_tone_hz,largest_image_hz,latency_frames,latency_ms,"
         "linear_phase,frame_offsets,pre_ringing_ms,overshoot_percent,settling_ms,cost_one_thread,"
         "cost_all_threads,all_threads\n";
  for (const CombinationResult& r : results) {
    const auto image = r.largest_image();
    csv << r.source_rate << "," << engine::info_of(r.combination.mode).label << ","
        << post_filter_name(r.combination.post_filter) << "," << r.output_rate() << ","
        << format_number(r.response.ripple_db, 4) << "," << optional_number(r.response.minus_3db_hz, 1) << ","
        << format_db(r.response.at_source_nyquist_db) << ","
        << (r.response.image_band_db ? format_db(*r.response.image_band_db) : "") << ","
        << (image ? format_db(image->spur_db) : "") << "," << (image ? format_number(image->frequency_hz, 1) : "")
        << "," << (image ? format_number(image->spur_hz, 1) : "") << "," << format_number(r.response.delay_frames, 2)
        << "," << format_number(r.response.delay_ms, 3) << "," << (r.response.linear_phase ? "yes" : "no") << ","
        << offsets_text(r.response.frame_offsets, " ") << "," << format_number(r.step.figures.pre_ring_ms, 3) << ","
        << format_number(r.step.figures.overshoot_percent, 3) << "," << format_number(r.step.figures.settle_ms, 3)
        << "," << cost_text(r.cost_one_thread) << "," << cost_text(r.cost_all_threads) << "," << r.all_threads
        << "\n";
  }
  return csv.str();
}

std::string summary_markdown(const std::vector<CombinationResult>& results,
                             const std::vector<PostFilterResult>& filters, const std::string& machine) {
  std::vector<double> rates;
  for (const CombinationResult& r : results)
    if (std::find(rates.begin(), rates.end(), r.source_rate) == rates.end()) rates.push_back(r.source_rate);

  std::ostringstream md;
  md << "# Sound modes, measured\n\n"
        "Made by `sonvale --analyze` with the player's own engine on " << machine << ".\n\n"
        "Levels are those of a tone in the output against the same tone in the input. Ripple is the "
        "spread of the level from 20 Hz to 20 kHz; the image band runs from the first image of 20 kHz "
        "(the source rate minus 20 kHz) to the output's Nyquist frequency; the largest image is the "
        "loudest component other than the tone itself, over tones from 500 Hz to 20 kHz. Latency is the "
        "group delay at 1 kHz against the input's own timing. Frame offsets: for each frame of a pair "
        "or group, how many output frames after its place the sound it holds lies. Cost: seconds of "
        "computing per second of audio.\n";
  for (double rate : rates) {
    md << "\n## " << format_number(rate, 0) << " Hz\n\n";
    write_table(md, results, rate);
    std::ostringstream order;
    write_frame_order(order, results, rate);
    if (!order.str().empty())
      md << "\n### Frame order in pairs and groups\n\n"
            "Every interleaving pass writes its interpolated frame before the source frame it is "
            "centred on. Measured, without a post filter:\n\n"
         << order.str();
  }
  if (!filters.empty()) {
    md << "\n## The post filters alone\n\n"
          "Each runs at the output rate; frequencies are shares of that rate's Nyquist frequency.\n\n"
          "| Post filter | Taps | -3 dB (share of Nyquist) | At Nyquist (dB) | Ripple to 0.907 Nyquist (dB) | "
          "Centre (frames) | Linear phase |\n|---|--:|--:|--:|--:|--:|---|\n";
    for (const PostFilterResult& f : filters) {
      md << "| " << post_filter_name(f.post_filter) << " | " << f.impulse.taps.size() << " | "
         << (f.response.minus_3db_hz ? format_number(*f.response.minus_3db_hz / (f.rate / 2), 5) : "none") << " | "
         << format_db(f.response.at_source_nyquist_db) << " | " << format_number(f.response.ripple_db, 4) << " | "
         << format_number(f.response.delay_frames, 1) << " | " << (f.response.linear_phase ? "yes" : "no")
         << " |\n";
    }
  }
  return md.str();
}

}  // namespace sonvale::analysis
