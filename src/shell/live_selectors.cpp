#include "shell/live_selectors.h"

#include "engine/sound_mode.h"
#include "output/mode_selection.h"
#include "platform/player_ids.h"

namespace sonvale::shell {

using engine::SoundMode;

void show_live_modes_on_entry(platform::Ui& ui, engine::PlaybackState& playback) {
  output::show_selectors(ui, playback, SoundMode::Red1);
  playback.x1_variant = 1;
  playback.x2_variant = 1;
  playback.x4_variant = 1;
  output::show_post_filter(ui, playback, engine::kPostFilterHamming255);
}

void step_live_x1(platform::Ui& ui, engine::PlaybackState& playback) {
  const bool red = playback.x1_variant.load() != 0;
  output::show_selectors(ui, playback, red ? SoundMode::Green1 : SoundMode::Red1);
  playback.x1_variant = red ? 0 : 1;
  playback.x4_variant = 1;
}

void step_live_x2(platform::Ui& ui, engine::PlaybackState& playback) {
  output::show_selectors(ui, playback, SoundMode::Green2);
}

void step_live_x4(platform::Ui& ui, engine::PlaybackState& playback) {
  const bool green_next = playback.x4_variant.load() != 0;
  output::show_selectors(ui, playback, green_next ? SoundMode::Green4 : SoundMode::Red4);
  playback.x4_variant = green_next ? 0 : 1;
  playback.x1_variant = 0;
}

void step_live_post_filter(platform::Ui& ui, engine::PlaybackState& playback) {
  output::show_post_filter(ui, playback, (playback.post_filter.load() + 1) % 3);
}

void relight_shown_mode(platform::Ui& ui, engine::PlaybackState& playback) {
  for (const engine::SoundModeInfo& info : engine::kSoundModes) {
    const int gadget =
        info.multiplier == 1 ? ids::kSelectorX1 : info.multiplier == 2 ? ids::kSelectorX2 : ids::kSelectorX4;
    if (ui.gadget_text(gadget) == info.label) return output::show_sound_mode(ui, playback, info.mode);
  }
}

}  // namespace sonvale::shell
