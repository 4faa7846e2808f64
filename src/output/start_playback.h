#pragma once

#include "output/player.h"

namespace sonvale::output {

// Starts playback of the visible page's selected entry (or the entry after the one
// playing, for a skip): releases what the previous start left, opens the first
// track, works out the output rate from the selected Sound mode, opens the device,
// starts the engine and waits for its first block, then starts the device. A start
// that fails shows why in the rate display ("Crush", "Reject") and, for a device
// that refuses, in a message box. `keep_marks` 0 forgets which entries were played.
void start_playback(Player& player, int keep_marks);

// Gives back the state of an idle player after a failed start, with nothing queued,
// and the card to the sound server it was borrowed from.
void failure_reset(Player& player);

}  // namespace sonvale::output
