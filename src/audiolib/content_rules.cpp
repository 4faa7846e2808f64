#include "audiolib/content_rules.h"

namespace sonvale::audiolib {

using ffmpeg::Codec;
using ffmpeg::Container;

bool call_accepts(CreateCall call, const ffmpeg::StreamInfo& content) {
  const Container box = content.container;
  const Codec codec = content.codec;
  switch (call) {
    case CreateCall::Plain:
      return ((box == Container::Wav || box == Container::Aiff) && codec == Codec::Pcm) ||
             ((box == Container::Mp3 || box == Container::Wav) && codec == Codec::MpegAudio) ||
             (box == Container::Ogg && codec == Codec::Vorbis);
    case CreateCall::Aac:
      return codec == Codec::Aac && (box == Container::Adts || box == Container::Mp4);
    case CreateCall::Alac:
      return codec == Codec::Alac && (box == Container::Mp4 || box == Container::Caf);
    case CreateCall::Mp4:
      return box == Container::Mp4;
    case CreateCall::Flac:
      return codec == Codec::Flac && (box == Container::Flac || box == Container::Ogg);
    case CreateCall::Wma:
      return codec == Codec::Wma && box == Container::Asf;
    case CreateCall::WavPack:
      return codec == Codec::WavPack && box == Container::WavPack;
  }
  return false;
}

}  // namespace sonvale::audiolib
