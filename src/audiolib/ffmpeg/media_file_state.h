#pragma once

// What the parts of MediaFile share: its state, and the opening of a decoder.

#include <cstdint>
#include <string>
#include <vector>

#include "audiolib/ffmpeg/media_file.h"
#include "audiolib/ffmpeg/owners.h"
#include "audiolib/rate_guard.h"

namespace sonvale::audiolib::ffmpeg {

struct MediaFile::State {
  FormatOwner format;
  CodecOwner codec;
  PacketOwner packet{av_packet_alloc()};
  PacketOwner held{av_packet_alloc()};  // read ahead at opening, decoded first when it has data
  FrameOwner frame{av_frame_alloc()};
  int stream_index = -1;
  StreamInfo info;
  bool draining = false;
  bool ended = false;
  RateGuard rates{0};
  std::string path;
  std::int64_t exact_frames = -1;  // see MediaFile::exact_frames()
  bool links_read = true;          // false for an Ogg file until read_links()
  // A chained file's links that play, with their lengths; empty when unknown.
  std::vector<std::int64_t> link_frames;
  std::size_t link = 0;        // the link being decoded
  std::int64_t link_done = 0;  // frames given out of it
  // The setup of the chained link that follows once the decoder has given out what
  // remains of the current one; empty when there is none.
  std::vector<std::uint8_t> next_link;

  const AVStream& stream() const { return *format->streams[stream_index]; }
};

// A decoder for the stream, set up by its own parameters or, for a later link of a
// chained file, by that link's `setup` (the codec's extradata).
CodecOwner open_decoder(const AVStream& stream, const std::vector<std::uint8_t>* setup, OpenError& error);

}  // namespace sonvale::audiolib::ffmpeg
