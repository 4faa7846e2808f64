#pragma once

#include <string>

#include "output/player.h"

namespace sonvale::output {

// Ends playback: stops the device, waits for the engine thread, frees the decoder and
// zero-fills every sample buffer, keeping the windows alive meanwhile. `keep_marks`
// 0 forgets which entries were played and gives a borrowed card back (a skip keeps
// both, to go on after them).
void stop_playback(Player& player, int keep_marks);

// PAUSE: pauses or resumes the ASIO output, and names the state on the button.
void pause_toggle(Player& player);

// Volume step 0 to 30: a linear gain of step / 30, applied at once while playing and
// kept for the next start otherwise.
void set_volume_step(Player& player, int step);

// The output is running, the playlist has run out and the device has taken every
// byte of both output buffers.
bool playback_has_ended(const Player& player);

// The output thread ended on its own: the device went away while playing.
bool output_was_lost(const Player& player);

// Why the output path in use failed last, or why its device stopped by itself.
std::string output_failure(const Player& player);

// Playback ran out: after `grace_ms` stops it and puts the player back to idle
// (empty play queue, rate display "0", navy transport buttons, nothing playing).
void finish_playback(Player& player, int grace_ms);

}  // namespace sonvale::output
