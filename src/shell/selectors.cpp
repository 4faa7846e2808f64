#include "shell/selectors.h"

#include <cstdint>

#include "output/mode_selection.h"
#include "output/rate_negotiation.h"

namespace sonvale::shell {
namespace {

using engine::SoundMode;

bool fits(const engine::PlaybackState& playback, int multiplier) {
  return std::int64_t{playback.source_rate.load()} * multiplier <= output::kHighestUpsampledRate;
}

bool multi_threading(const engine::PlaybackState& playback) { return playback.processor_count.load() > 1; }

}  // namespace

void step_x1_selector(platform::Ui& ui, engine::PlaybackState& playback) {
  if (playback.x1_variant.load() == 0) {
    if (!fits(playback, 1)) return;
    output::show_sound_mode(ui, playback, SoundMode::Red1);
  } else {
    output::show_sound_mode(ui, playback, SoundMode::Green1);
  }
}

void step_x2_selector(platform::Ui& ui, engine::PlaybackState& playback) {
  if (!fits(playback, 2)) return;
  switch (playback.x2_variant.load()) {
    case 0:
      output::show_sound_mode(ui, playback, multi_threading(playback) ? SoundMode::Brown2 : SoundMode::Green2);
      break;
    case 1:
      output::show_sound_mode(ui, playback, SoundMode::White2);
      break;
    default:
      output::show_sound_mode(ui, playback, SoundMode::Green2);
      break;
  }
}

void step_x4_selector(platform::Ui& ui, engine::PlaybackState& playback) {
  if (!fits(playback, 4)) return;
  switch (playback.x4_variant.load()) {
    case 0:
      output::show_sound_mode(ui, playback, SoundMode::Red4);
      break;
    case 1:
      output::show_sound_mode(ui, playback, multi_threading(playback) ? SoundMode::Brown4 : SoundMode::Green4);
      break;
    case 2:
      output::show_sound_mode(ui, playback, SoundMode::White4);
      break;
    default:
      output::show_sound_mode(ui, playback, SoundMode::Green4);
      break;
  }
}

void step_post_filter(platform::Ui& ui, engine::PlaybackState& playback) {
  switch (playback.post_filter.load()) {
    case 0:
      output::show_post_filter(ui, playback, 1);
      break;
    case 1:
      output::show_post_filter(ui, playback, 2);
      break;
    case 2:
      output::show_post_filter(ui, playback, multi_threading(playback) ? 3 : 0);
      break;
    default:
      output::show_post_filter(ui, playback, 0);
      break;
  }
}

}  // namespace sonvale::shell
