#include "playlist/cd_track.h"

namespace sonvale::playlist {

bool add_cd_track(Playlist& playlist, const std::string&) {
  playlist.staged() = PlaylistEntry{};
  return false;
}

}  // namespace sonvale::playlist
