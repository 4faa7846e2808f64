#pragma once

#include <string>
#include <vector>

#include "playlist/playlist.h"

namespace sonvale::playlist {

// The three ways tracks reach the visible page. Each candidate is judged by the end
// of its name and probed; the ones accepted are appended in the order given. Other
// files are passed over without a word. A disc image's sheet (".cue", ".toc") or a
// CD device stands for every audio track of its disc, and a folder that is a
// drive's root ("/dev/sr0/", "/music/album.cue/") lists them as TrackNN.cda files.
// Paths come as lists, never as lines of one text: a file name may hold a line feed.

// "Add files": the multi-select open-file dialog. A cancelled dialog adds nothing.
void add_files(Playlist& playlist);

// "Add folders": every file directly inside each of the folders, in name order;
// sub-folders are not entered, and names beginning with "." are skipped, folders and
// files alike.
void add_folders(Playlist& playlist, const std::vector<std::string>& folders);

// Files dropped on the main window. A dropped folder is not opened.
void add_dropped_files(Playlist& playlist, const std::vector<std::string>& paths);

}  // namespace sonvale::playlist
