#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audiolib/stereo_mix.h"

namespace sonvale::audiolib::ffmpeg {

// The container families and codecs the decoding calls tell apart.
enum class Container { Wav, Aiff, Mp3, Ogg, Mp4, Adts, Caf, Flac, Asf, WavPack, Other };
enum class Codec { Pcm, MpegAudio, Vorbis, Aac, Alac, Flac, Wma, WavPack, Other };

enum class OpenError {
  None,
  FileOpen,  // missing, unreadable, or not a regular file
  Format,    // content that no allowed container recognises, or without audio
  Codec,     // an audio stream that cannot be decoded
  Memory,
};

struct StreamInfo {
  Container container = Container::Other;
  Codec codec = Codec::Other;
  int sample_rate = 0;
  int channels = 0;
  // Frames the container states exactly (sample-accurate length fields), -1 when it
  // gives none or only an estimate.
  std::int64_t exact_frames = -1;
};

// One audio file opened with FFmpeg: the best audio stream of a container that
// recognises the content (a match on the file name alone is not enough), decoded
// on the calling thread with encoder delay and padding trimmed.
class MediaFile {
 public:
  static std::unique_ptr<MediaFile> open(const std::string& path, OpenError& error);
  ~MediaFile();
  MediaFile(const MediaFile&) = delete;
  MediaFile& operator=(const MediaFile&) = delete;

  const StreamInfo& info() const;

  // The next decoded block and where its channels play. False once the data has
  // ended: at the end of the file, at a read error, or where the sample rate
  // changes for good (RateGuard). What cannot be decoded is skipped. The block stays
  // valid until the next call.
  bool next_block(SampleBlock& block, std::vector<Speaker>& speakers);

  // The reader's byte offset in the file.
  std::int64_t file_position() const;

 private:
  struct State;
  explicit MediaFile(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace sonvale::audiolib::ffmpeg
