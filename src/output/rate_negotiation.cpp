#include "output/rate_negotiation.h"

#include <utility>

#include "engine/sound_mode.h"
#include "platform/player_ids.h"

namespace sonvale::output {
namespace {

// A selector button accepts the colours its multiplier's modes light it with.
bool lit_for(platform::Colour colour, int multiplier) {
  for (const engine::SoundModeInfo& info : engine::kSoundModes)
    if (info.multiplier == multiplier && info.button_colour == colour) return true;
  return false;
}

}  // namespace

std::optional<std::int8_t> selected_multiplier(const platform::Ui& ui) {
  for (const auto& [gadget, multiplier] : {std::pair{ids::kSelectorX4, 4}, std::pair{ids::kSelectorX2, 2},
                                          std::pair{ids::kSelectorX1, 1}})
    if (lit_for(ui.gadget_back_colour(gadget), multiplier)) return static_cast<std::int8_t>(multiplier);
  return std::nullopt;
}

bool plain_playback_selected(const platform::Ui& ui) {
  return ui.gadget_back_colour(ids::kSelectorX1) == engine::info_of(engine::SoundMode::Green1).button_colour;
}

}  // namespace sonvale::output
