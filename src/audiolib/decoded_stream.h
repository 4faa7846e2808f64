#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audiolib/ffmpeg/media_file.h"
#include "audiolib/stereo_mix.h"

namespace sonvale::audiolib {

// A file decoded to interleaved stereo float frames at its own rate, with an exact
// length: reading the whole stream yields exactly length_frames() frames. Not
// thread-safe; its channel's lock guards it.
class DecodedStream {
 public:
  // `prescan` measures the length over the whole file once (when first asked);
  // otherwise the container's exact length is taken where it states one.
  static std::unique_ptr<DecodedStream> open(const std::string& path, bool prescan,
                                             ffmpeg::OpenError& error);

  const ffmpeg::StreamInfo& info() const { return file_->info(); }

  // Reads up to `frames` frames into `out`; fewer only where the stream ends.
  std::int64_t read(float* out, std::int64_t frames);
  bool finished() const { return ended_ && pending_pos_ == pending_.size(); }

  // The frames a full read yields. If the data ends before the length measured
  // earlier (a file cut short while playing), the length shrinks to what was read.
  // -1 when a measurement was stopped (audiolib/scan_stop.h).
  std::int64_t length_frames();
  std::int64_t position_frames() const { return delivered_; }
  std::int64_t file_position() const { return file_->file_position(); }

 private:
  DecodedStream(std::string path, bool prescan, std::unique_ptr<ffmpeg::MediaFile> file);
  // Frames the stream may still produce at most, -1 for no bound known.
  std::int64_t cap();
  // Decodes the next block into pending_; false at the end.
  bool decode_more();
  // -1 when stopped.
  std::int64_t scan_length();

  std::string path_;
  bool prescan_;
  std::unique_ptr<ffmpeg::MediaFile> file_;
  std::int64_t length_ = -1;     // exact length once known
  std::int64_t produced_ = 0;    // frames taken from the decoder
  std::int64_t delivered_ = 0;   // frames handed to readers
  bool ended_ = false;
  std::vector<float> pending_;   // decoded frames not yet read
  std::size_t pending_pos_ = 0;  // in floats
  std::vector<Speaker> speakers_;
  std::vector<Speaker> matrix_speakers_;
  StereoMatrix matrix_;
};

}  // namespace sonvale::audiolib
