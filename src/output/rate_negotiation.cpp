#include "output/rate_negotiation.h"

#include <algorithm>
#include <array>

#include "engine/sound_mode.h"
#include "platform/player_ids.h"

namespace sonvale::output {
namespace {

constexpr platform::Colour kGreen = 0x606000, kRed = 0x400080, kBrown = 0x006060, kWhite = 0xC8C8C8;

struct Selector {
  int gadget;
  std::int8_t multiplier;
  std::array<platform::Colour, 4> accepted;
  int accepted_count;
};

constexpr Selector kSelectors[] = {
    {ids::kSelectorX4, 4, {kGreen, kRed, kBrown, kWhite}, 4},
    {ids::kSelectorX2, 2, {kGreen, kBrown, kWhite}, 3},
    {ids::kSelectorX1, 1, {kGreen, kRed}, 2},
};

}  // namespace

std::optional<std::int8_t> selected_multiplier(const platform::Ui& ui) {
  for (const Selector& s : kSelectors) {
    const platform::Colour colour = ui.gadget_back_colour(s.gadget);
    const auto end = s.accepted.begin() + s.accepted_count;
    if (std::find(s.accepted.begin(), end, colour) != end) return s.multiplier;
  }
  return std::nullopt;
}

bool plain_playback_selected(const platform::Ui& ui) {
  return ui.gadget_back_colour(ids::kSelectorX1) == kGreen;
}

}  // namespace sonvale::output
