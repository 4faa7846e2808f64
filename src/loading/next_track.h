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

// Sets the walk up to go on after an entry being heard, whatever the engine has
// opened since: that entry alone carries the played mark and its page becomes the
// playing page, so that the next walk opens the entry after it. False when nothing
// would follow it (it is the last entry of the last page that holds entries, on a
// page that does not repeat). An entry removed meanwhile changes nothing, and the
// answer is then whether the walk has not run out yet. Main thread, while the
// engine is stopped.
bool go_on_after(Loader& loader, int page, std::uint64_t entry);

}  // namespace sonvale::loading
