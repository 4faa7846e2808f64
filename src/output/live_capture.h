#pragma once

#include <cstdint>

#include "output/player.h"

namespace sonvale::output {

// The recording of a live run, into the capture buffer that the live engine takes
// from.

// The capture callback (the recording callback's form; `user` is the Player):
// appends the block to the capture buffer under the capture lock, or drops it whole
// when it would not fit. Allocates nothing and always goes on.
bool capture_callback(std::uint32_t handle, const void* buffer, std::uint32_t length, void* user);

// Initialises `device`, turns its input `input` on at `volume` and records into the
// capture buffer. False, with the device let go, when it does not record.
bool start_capture(Player& player, int device, int input, float volume);

// Ends a live run: the recording first, then the output (Stop playback), and empties
// the capture buffer; the rate display reads "0" and the transport buttons navy.
void stop_live_run(Player& player);

// The recording stopped by itself while a live run needs it: its device went away.
bool capture_was_lost();

}  // namespace sonvale::output
