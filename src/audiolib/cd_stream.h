#pragma once

#include <cstdint>
#include <memory>

#include "audiolib/cdio/disc.h"
#include "audiolib/channel_source.h"
#include "audiolib/paranoia/track_reader.h"

namespace sonvale::audiolib {

inline constexpr int kCdRate = 44100;

// One audio-CD track read from its disc as a channel's source: 44,100 Hz stereo
// float, each 16-bit sample divided by 32,768, exactly as many frames as the track's
// sectors hold. A sector that cannot be read ends the track there.
class CdStream final : public ChannelSource {
 public:
  // Track `number` of the disc; null when paranoia cannot read it as an audio track.
  static std::unique_ptr<CdStream> open(std::unique_ptr<cdio::Disc> disc, int number);

  std::int64_t read(float* out, std::int64_t frames) override;
  bool finished() const override;
  std::int64_t length_frames() override { return length_; }
  std::int64_t position_frames() const override { return delivered_; }
  // Bytes of the track's 16-bit data read so far.
  std::int64_t file_position() const override { return delivered_ * 4; }
  int sample_rate() const override { return kCdRate; }

 private:
  CdStream(std::unique_ptr<cdio::Disc> disc, std::unique_ptr<paranoia::TrackReader> reader);

  std::unique_ptr<cdio::Disc> disc_;  // read through by reader_, so it outlives it
  std::unique_ptr<paranoia::TrackReader> reader_;
  std::int64_t length_;
  std::int64_t delivered_ = 0;
  const std::int16_t* sector_ = nullptr;
  int used_ = paranoia::kSectorFrames;  // frames of sector_ already delivered
  bool cut_ = false;                     // the image's data went short while reading
};

}  // namespace sonvale::audiolib
