#pragma once

#include <optional>

#include "audiolib/bass.h"
#include "audiolib/ffmpeg/media_file.h"

namespace sonvale::audiolib {

// The creation calls, each for its own kind of content.
enum class CreateCall {
  Plain,    // WAV/AIFF PCM, MPEG audio (MP1/MP2/MP3), Ogg Vorbis
  Aac,      // AAC, raw (ADTS) or in an MP4 file
  Alac,     // Apple Lossless, in an MP4 or CAF file
  Mp4,      // any decodable audio in an MP4 file
  Flac,     // FLAC, native or in Ogg
  Wma,      // Windows Media Audio in ASF
  WavPack,
};

// Whether the call opens content of this container and codec; a call refuses other
// formats' content, so that each one does what its name says.
bool call_accepts(CreateCall call, const ffmpeg::StreamInfo& content);

// The call that opened a live stream; nothing for a handle that is not one.
std::optional<CreateCall> creation_call_of(Handle stream);

}  // namespace sonvale::audiolib
