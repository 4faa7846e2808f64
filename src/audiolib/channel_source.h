#pragma once

#include <cstdint>
#include <memory>

#include "audiolib/decoded_stream.h"

namespace sonvale::audiolib {

// What a stream handle reads from: interleaved stereo float frames at one rate, with
// an exact length. Not thread-safe; its channel's lock guards it.
class ChannelSource {
 public:
  virtual ~ChannelSource() = default;

  // Reads up to `frames` frames into `out`; fewer only where the source ends.
  virtual std::int64_t read(float* out, std::int64_t frames) = 0;
  virtual bool finished() const = 0;
  // The frames a full read yields; it shrinks to what was read if the data ends
  // before its promised length. -1 when a measurement was stopped.
  virtual std::int64_t length_frames() = 0;
  virtual std::int64_t position_frames() const = 0;
  // Where the reading stands in the source's own data, in bytes.
  virtual std::int64_t file_position() const = 0;
  virtual int sample_rate() const = 0;
};

// A decoded file as a channel's source.
class DecodedSource final : public ChannelSource {
 public:
  explicit DecodedSource(std::unique_ptr<DecodedStream> stream) : stream_(std::move(stream)) {}

  std::int64_t read(float* out, std::int64_t frames) override { return stream_->read(out, frames); }
  bool finished() const override { return stream_->finished(); }
  std::int64_t length_frames() override { return stream_->length_frames(); }
  std::int64_t position_frames() const override { return stream_->position_frames(); }
  std::int64_t file_position() const override { return stream_->file_position(); }
  int sample_rate() const override { return stream_->info().sample_rate; }

 private:
  std::unique_ptr<DecodedStream> stream_;
};

}  // namespace sonvale::audiolib
