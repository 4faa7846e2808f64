#pragma once

#include <cstdint>

#include "loading/play_queue.h"
#include "platform/ui.h"

namespace sonvale::loading {

// Paints the now-playing panel from the track being heard: its folder and title, the
// elapsed and total time and a progress bar in its page's colour, on the panel's
// blank background; with nothing queued the panel shows the blank background.
void draw_track_time(platform::Ui& ui, const PlayQueue& queue, std::int32_t source_rate);

// Puts the blank background back into the panel, as when nothing plays.
void show_idle_panel(platform::Ui& ui);

}  // namespace sonvale::loading
