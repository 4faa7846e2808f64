#include "output/rate_negotiation.h"

#include <array>
#include <utility>

#include "engine/sound_mode.h"
#include "platform/player_ids.h"

namespace sonvale::output {
namespace {

using engine::SoundMode;

constexpr SoundMode kLiveModes[] = {SoundMode::Green1, SoundMode::Red1, SoundMode::Green2, SoundMode::Green4,
                                    SoundMode::Red4};

// A selector button accepts the colours that the given modes of its multiplier light
// it with.
template <class Modes>
bool lit_for(platform::Colour colour, int multiplier, const Modes& modes) {
  for (const SoundMode mode : modes) {
    const engine::SoundModeInfo& info = engine::info_of(mode);
    if (info.multiplier == multiplier && info.button_colour == colour) return true;
  }
  return false;
}

template <class Modes>
std::optional<std::int8_t> lit_multiplier(const platform::Ui& ui, const Modes& modes) {
  for (const auto& [gadget, multiplier] : {std::pair{ids::kSelectorX4, 4}, std::pair{ids::kSelectorX2, 2},
                                          std::pair{ids::kSelectorX1, 1}})
    if (lit_for(ui.gadget_back_colour(gadget), multiplier, modes)) return static_cast<std::int8_t>(multiplier);
  return std::nullopt;
}

std::array<SoundMode, engine::kSoundModes.size()> all_modes() {
  std::array<SoundMode, engine::kSoundModes.size()> modes{};
  for (std::size_t i = 0; i < modes.size(); ++i) modes[i] = engine::kSoundModes[i].mode;
  return modes;
}

}  // namespace

std::optional<std::int8_t> selected_multiplier(const platform::Ui& ui) { return lit_multiplier(ui, all_modes()); }

std::optional<std::int8_t> selected_live_multiplier(const platform::Ui& ui) { return lit_multiplier(ui, kLiveModes); }

bool plain_playback_selected(const platform::Ui& ui) {
  return ui.gadget_back_colour(ids::kSelectorX1) == engine::info_of(engine::SoundMode::Green1).button_colour;
}

}  // namespace sonvale::output
