#pragma once

#include <string_view>

#include "playlist/playlist.h"

namespace sonvale::playlist {

// The three ways tracks reach the visible page. Each candidate is judged by the end
// of its name and probed; the ones accepted are appended in the order given. Other
// files are passed over without a word.

// "Add files": the multi-select open-file dialog. A cancelled dialog adds nothing.
void add_files(Playlist& playlist);

// "Add folders": every file directly inside each folder of `list` (one folder a
// line), in name order; sub-folders are not entered, and names beginning with "."
// are skipped, folders and files alike.
void add_folders(Playlist& playlist, std::string_view list);

// Files dropped on the main window, one path a line. A dropped folder is not opened.
void add_dropped_files(Playlist& playlist, std::string_view list);

}  // namespace sonvale::playlist
