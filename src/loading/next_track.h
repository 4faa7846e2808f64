#pragma once

#include "loading/open_track.h"

namespace sonvale::loading {

// Chooses the entry to play next and opens it as the current decoder (0 when there
// is none). At the start of playback (playing page 0) that is the selected entry of
// the visible page, or its first. Later it is the entry after the one marked as
// played on the playing page; after a page's last entry the page starts again if it
// repeats, else playback moves on to the next page that holds entries, in cyclic
// order; when none does, the playing page becomes -1.
void next_track_selection(Loader& loader);

}  // namespace sonvale::loading
