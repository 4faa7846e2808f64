#pragma once

#include "playlist/playlist.h"

namespace sonvale::playlist {

// CLEAR: removes the selected entry of the visible page, or, with nothing selected
// (or no entry matching it), empties the page.
void clear_command(Playlist& playlist);

// The sort button names the sort it performs, then moves on to the next:
// "Sort by name" → by folder ("Sort by dir") → by date ("Sort by made") → by name.
void sort_button_command(Playlist& playlist);

// REPEAT: adds the repeat marker " R" to the visible page's label, or takes it off.
void repeat_command(Playlist& playlist);

}  // namespace sonvale::playlist
