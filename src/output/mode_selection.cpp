#include "output/mode_selection.h"

#include <string>

#include "platform/player_ids.h"

namespace sonvale::output {
namespace {

constexpr platform::Colour kPostFilterColours[] = {0x600000, 0x606000, 0x400080, 0x006060};

}  // namespace

void show_sound_mode(platform::Ui& ui, engine::PlaybackState& playback, engine::SoundMode mode) {
  const engine::SoundModeInfo& info = engine::info_of(mode);
  show_selectors(ui, playback, mode);
  playback.x1_variant = info.multiplier == 1 ? info.variant : 0;
  playback.x2_variant = info.multiplier == 2 ? info.variant : 2;
  playback.x4_variant = info.multiplier == 4 ? info.variant : 3;
}

void show_selectors(platform::Ui& ui, const engine::PlaybackState& playback, engine::SoundMode mode) {
  const engine::SoundModeInfo& info = engine::info_of(mode);
  struct Selector {
    int gadget;
    int multiplier;
    const char* idle_text;
  };
  for (const Selector s : {Selector{ids::kSelectorX1, 1, "x 1"}, Selector{ids::kSelectorX2, 2, "x 2"},
                           Selector{ids::kSelectorX4, 4, "x 4"}}) {
    const bool lit = s.multiplier == info.multiplier;
    ui.set_gadget_text(s.gadget, lit ? info.label : s.idle_text);
    ui.set_gadget_back_colour(s.gadget, lit ? info.button_colour : platform::kNavy);
  }
  ui.set_gadget_text(ids::kRateDisplay, std::to_string(std::int64_t{playback.source_rate.load()} * info.multiplier));
}

void show_post_filter(platform::Ui& ui, engine::PlaybackState& playback, int filter) {
  if (filter < 0 || filter > 3) return;
  playback.post_filter = static_cast<std::int8_t>(filter);
  ui.set_gadget_back_colour(ids::kLpfButton, kPostFilterColours[filter]);
}

}  // namespace sonvale::output
