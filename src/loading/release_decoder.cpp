#include "loading/release_decoder.h"

#include "audiolib/bass.h"
#include "platform/time.h"

namespace sonvale::loading {

using namespace audiolib;

void release_decoder(std::atomic<std::uint32_t>& current_decoder) {
  const Handle decoder = current_decoder.load();
  // Asking for the file position tells a live stream from a dead handle.
  BASS_StreamGetFilePosition(decoder, kFilePositionCurrent);
  if (BASS_ErrorGetCode() == kErrorOk) {
    for (int attempt = 0; attempt < 10; ++attempt) {
      BASS_StreamFree(decoder);
      if (BASS_ErrorGetCode() == kErrorOk) break;
      platform::sleep_ms(60);
    }
  } else {
    BASS_StreamFree(decoder);
  }
  current_decoder.store(0);
}

}  // namespace sonvale::loading
