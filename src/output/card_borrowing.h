#pragma once

#include <optional>
#include <string_view>

#include "output/output_choice.h"
#include "output/player.h"

namespace sonvale::output {

// The ALSA card behind a device name of the form hw:C,D or plughw:C,D; nothing for
// any other name.
std::optional<int> card_of_pcm(std::string_view pcm);

// The sound card the chosen device plays to; nothing for the virtual drivers.
std::optional<int> card_of_choice(const OutputChoice& choice);

// Before the device is opened: asks whoever holds its card (a sound server) to let
// it go. False when the holder refuses; true too when there is no card or nobody
// to ask.
bool borrow_card(Player& player);

// Once the device is stopped: closes it and hands its card back to the holder it
// was borrowed from. Nothing when no card is borrowed.
void return_card(Player& player);

}  // namespace sonvale::output
