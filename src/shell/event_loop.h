#pragma once

#include "shell/app.h"

namespace sonvale::shell {

// The main window's loop, from the moment it is shown until a close request: it
// refreshes the now-playing panel, notices the end of playback, recounts the
// processors now and then, and turns clicks into the player's commands. Leaving, it
// stops playback and closes the main window.
void run_event_loop(App& app);

// The settings applied before the first pass: the banner, the decoding library,
// drops, page 1, the processor count, Red x 1 with LPF green, full volume.
void prepare_event_loop(App& app);

// One pass of the loop; false when a close request ends it.
bool event_loop_pass(App& app, int& pass_counter);

}  // namespace sonvale::shell
