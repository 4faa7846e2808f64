#pragma once

#include <cstdint>
#include <string_view>

#include "output/player.h"

namespace sonvale::output {

// The steps that Start playback and Start live output share.

void show_rate(platform::Ui& ui, std::string_view text);

// Opens the chosen device at `rate`, first borrowing its card from whoever holds it.
// ASIO asks the driver whether it plays the rate before setting it, or, with
// `set_rate_as_test`, takes setting it as the answer. False when the card, the
// device or the rate is refused.
bool open_device(Player& player, std::int32_t rate, bool set_rate_as_test);

// Gives the device the feed callback, the format and the volume, and starts it.
void start_device(Player& player);

// The device or the rate was refused: lets the driver go, frees the stream, shows
// "Reject" and the message of the output path. The caller resets what it started.
void report_device_failure(Player& player, std::int32_t rate);

}  // namespace sonvale::output
