#pragma once

#include <string>

#include "audiolib/bass.h"
#include "playlist/creation_calls.h"
#include "playlist/playlist.h"

namespace sonvale::playlist {

// Decode-only float streams, measured exactly: the flags of every trial opening.
inline constexpr std::uint32_t kProbeFlags = audiolib::kFlagDecode | audiolib::kFlagPrescan | audiolib::kFlagFloat;

// The creation calls a trial opening makes for an upper-cased extension ("MP3",
// "FLAC", ".WV", ...); CreationCalls::None for any other.
CreationCalls probe_calls_for(const std::string& key);

// Trial-opens a file with the decoder its extension names and fills the staged
// entry from it. False, silently, when no decoder opens it or its rate differs from
// the playlist's source rate; the first file of an empty playlist fixes that rate.
bool probe_file(Playlist& playlist, const std::string& path, const std::string& extension);

}  // namespace sonvale::playlist
