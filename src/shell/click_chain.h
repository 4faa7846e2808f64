#pragma once

#include "shell/app.h"

namespace sonvale::shell {

// A left click on the main window: the gadgets are tried in a fixed order and the
// first one under the pointer (read now, not from the click) gets the click.
void run_click_chain(App& app);

// SKIP while a track plays: the clicks already waiting are dropped, then playback
// moves on to the next track, or stops after the last one.
void skip_command(App& app);

// STOP: ends playback if a track plays; the PAUSE label reads "PAUSE" again.
void stop_command(App& app);

// PLAY while nothing plays.
void play_command(App& app);

// The orb's click in mini mode: the main window comes back, centred on the orb.
void leave_mini_mode(App& app);

}  // namespace sonvale::shell
