#include "playlist/creation_calls.h"

namespace sonvale::playlist {

using namespace audiolib;

Handle create_stream(CreationCalls calls, const std::string& path, std::uint32_t flags) {
  const char* file = path.c_str();
  switch (calls) {
    case CreationCalls::None: return 0;
    case CreationCalls::Plain: return BASS_StreamCreateFile(false, file, 0, 0, flags);
    case CreationCalls::Mp4Family: {
      Handle stream = BASS_AAC_StreamCreateFile(false, file, 0, 0, flags);
      if (stream == 0) stream = BASS_ALAC_StreamCreateFile(false, file, 0, 0, flags);
      if (stream == 0) stream = BASS_MP4_StreamCreateFile(false, file, 0, 0, flags);
      return stream;
    }
    case CreationCalls::Wma: return BASS_WMA_StreamCreateFile(false, file, 0, 0, flags);
    case CreationCalls::Flac: return BASS_FLAC_StreamCreateFile(false, file, 0, 0, flags);
    case CreationCalls::WavPack: return BASS_WV_StreamCreateFile(false, file, 0, 0, flags);
  }
  return 0;
}

}  // namespace sonvale::playlist
