#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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

  // Frames the container states exactly (sample-accurate length fields), -1 when it
  // gives none or only an estimate. An Ogg file's pages are read through for it when
  // first asked (or decoded), to find the links of a chained file.
  std::int64_t exact_frames();

  // The next decoded block and where its channels play. False once the data has
  // ended: at the end of the file, at a read error, or where the sample rate
  // changes for good (RateGuard). What cannot be decoded is skipped. The links of a
  // chained Ogg Vorbis file follow each other, each decoded as a file of its own to
  // the length its pages give; the data ends before a link at another rate, and the
  // stated length is that of the links before it. The block stays valid until the
  // next call.
  bool next_block(SampleBlock& block, std::vector<Speaker>& speakers);

  // The frames that next_block() would still yield, up to about `limit` (-1: no
  // limit), read from this file's current position. MPEG audio files are counted
  // from their packets without decoding, which is exact unless a frame is damaged
  // (it then yields nothing); others are decoded. Asks `stop` as it goes; nothing
  // when it answered true.
  std::optional<std::int64_t> count_frames(std::int64_t limit, const std::function<bool()>& stop);

  // The reader's byte offset in the file.
  std::int64_t file_position() const;

 private:
  struct State;
  explicit MediaFile(std::unique_ptr<State> state);
  // Gives the decoder its next packet, or tells it that the data has ended.
  void feed();
  // The next packet of the stream into the state's packet; false at the end.
  bool read_own_packet();
  // After a chained link's identification header: reads the rest of its headers and
  // returns the setup for its decoder; empty when the link cannot be played.
  std::vector<std::uint8_t> read_link_setup();
  bool start_next_link();
  // Reads an Ogg file's links, once.
  void read_links();
  std::unique_ptr<State> state_;
};

}  // namespace sonvale::audiolib::ffmpeg
