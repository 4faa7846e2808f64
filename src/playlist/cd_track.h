#pragma once

#include <optional>
#include <string>
#include <vector>

#include "playlist/playlist.h"

namespace sonvale::playlist {

// Fills the staged entry for an audio-CD track, "<drive>/TrackNN.cda", the drive
// being a CD device or a disc image's sheet ("/dev/sr0/Track03.cda",
// "/music/album.cue/Track03.cda"): drive, track and read speed, and texts from the
// disc's CD text, else from CDDB. Refused, adding nothing, when the path's drive is
// no CD drive, no disc can be read in it, the track is none of its audio tracks, or
// the playlist is fixed at another rate than 44,100 Hz.
bool add_cd_track(Playlist& playlist, const std::string& path);

// The track paths of every audio track on the disc that `path` names, a CD device
// or a disc image's sheet, with or without the "/" of its root, in order; nothing
// when the path names neither.
std::optional<std::vector<std::string>> disc_track_paths(const std::string& path);

}  // namespace sonvale::playlist
