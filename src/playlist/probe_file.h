#pragma once

#include <string>

#include "playlist/playlist.h"

namespace sonvale::playlist {

// Trial-opens a file with the decoder its extension names and fills the staged
// entry from it. False, silently, when no decoder opens it or its rate differs from
// the playlist's source rate; the first file of an empty playlist fixes that rate.
bool probe_file(Playlist& playlist, const std::string& path, const std::string& extension);

}  // namespace sonvale::playlist
