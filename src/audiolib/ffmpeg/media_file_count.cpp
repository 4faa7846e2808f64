// How many frames a file still yields, counted from MPEG audio packets or decoded.

#include <algorithm>

#include "audiolib/ffmpeg/media_file_state.h"
#include "audiolib/mpeg_frame.h"

namespace sonvale::audiolib::ffmpeg {
namespace {

// The samples the decoder makes of one MPEG audio packet, found from its header and
// from the trimming the demuxer attaches, as the decoder applies it: `skip` samples
// from the start of the stream (carried from packet to packet), a packet's padding at
// the end. -1 when the packet holds no frame header: the decoder makes nothing of it.
struct MpegPacket {
  int rate = 0;
  std::int64_t samples = -1;
};

MpegPacket trimmed_mpeg_packet(const AVPacket& packet, std::int64_t& skip) {
  const std::optional<MpegFrame> frame = mpeg_frame_at(packet.data, static_cast<std::size_t>(packet.size));
  if (!frame) return {};
  std::int64_t padding = 0;
  std::size_t size = 0;
  if (const std::uint8_t* side = av_packet_get_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
      side != nullptr && size >= 10) {
    skip = AV_RL32(side);
    padding = AV_RL32(side + 4);
  }
  std::int64_t samples = frame->samples;
  if (skip > 0) {
    const std::int64_t skipped = std::min(skip, samples);
    skip -= skipped;
    samples -= skipped;
    if (samples == 0) return {frame->rate, 0};
  }
  if (padding > 0 && padding <= samples) samples -= padding;
  return {frame->rate, samples};
}

}  // namespace

std::optional<std::int64_t> MediaFile::count_frames(std::int64_t limit, const std::function<bool()>& stop) {
  std::int64_t frames = 0;
  if (state_->info.container == Container::Mp3 && state_->info.codec == Codec::MpegAudio) {
    // Every packet is one frame whose header tells its samples: counted without decoding.
    State& s = *state_;
    std::int64_t skip = 0;
    while ((limit < 0 || frames < limit) && read_own_packet()) {
      const MpegPacket packet = trimmed_mpeg_packet(*s.packet, skip);
      av_packet_unref(s.packet.get());
      if (stop()) return std::nullopt;
      if (packet.samples <= 0) continue;
      const RateGuard::Verdict verdict = s.rates.judge(packet.rate, packet.samples);
      if (verdict == RateGuard::Verdict::End) break;
      if (verdict == RateGuard::Verdict::Keep) frames += packet.samples;
    }
    return frames;
  }
  SampleBlock block;
  std::vector<Speaker> speakers;
  while ((limit < 0 || frames < limit) && next_block(block, speakers)) {
    if (stop()) return std::nullopt;
    frames += std::max(block.frames, 0);
  }
  return frames;
}

}  // namespace sonvale::audiolib::ffmpeg
