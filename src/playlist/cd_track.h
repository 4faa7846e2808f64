#pragma once

#include <string>

#include "playlist/playlist.h"

namespace sonvale::playlist {

// Fills the staged entry for an audio-CD track (a ".cda" name). Disc reading is not
// part of this build yet: no track is added.
bool add_cd_track(Playlist& playlist, const std::string& path);

}  // namespace sonvale::playlist
