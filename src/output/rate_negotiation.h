#pragma once

#include <cstdint>
#include <optional>

#include "engine/playback_state.h"
#include "platform/ui.h"

namespace sonvale::output {

inline constexpr std::int32_t kHighestUpsampledRate = 192'000;

struct Rate {
  std::int8_t multiplier = 0;
  std::int32_t output_rate = 0;
};

// The rate multiplier the selector buttons show, tried in the order x4, x2, x1,
// each by its back colour; nothing when none is lit with a colour it accepts.
std::optional<std::int8_t> selected_multiplier(const platform::Ui& ui);

// The same for the input mode, whose engine computes fewer modes: x4 lit Green or
// Red, x2 lit Green, x1 lit Green or Red.
std::optional<std::int8_t> selected_live_multiplier(const platform::Ui& ui);

// Whether Green x 1 is lit: plain playback, without a chain or a post filter.
bool plain_playback_selected(const platform::Ui& ui);

}  // namespace sonvale::output
