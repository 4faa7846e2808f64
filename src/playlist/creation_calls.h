#pragma once

#include <cstdint>
#include <string>

#include "audiolib/bass.h"

namespace sonvale::playlist {

// The decoding calls tried for a kind of file, in order.
enum class CreationCalls {
  None,
  Plain,      // BASS_StreamCreateFile: MP3, OGG, WAV
  Mp4Family,  // AAC, then ALAC, then MP4: M4A and AAC
  Wma,
  Flac,
  WavPack,
};

// Makes the calls until one returns a stream; the handle of the last call made.
audiolib::Handle create_stream(CreationCalls calls, const std::string& path, std::uint32_t flags);

}  // namespace sonvale::playlist
