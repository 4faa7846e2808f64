#pragma once

#include "output/player.h"

namespace sonvale::output {

// Starts the output of a live run, with the recording already filling the capture
// buffer: as Start playback, but with the live engine in place of the engine
// thread, for the Sound modes the live engine computes (x4 Green or Red, x2 Green,
// x1 Green or Red; the post filter is left as it is), with the ASIO rate set rather
// than asked about first, and without the flashing while it waits for the first
// block, which takes about 68 s of recording. PLAY and STOP turn blue meanwhile.
// The playing page and the transport colours are left alone, also when it fails.
// The wait ends early, leaving the device unstarted, when the live engine ends (a
// stop request), when the recording stops, or at a close request, which it leaves
// waiting for the caller's loop.
void start_live_output(Player& player);

}  // namespace sonvale::output
