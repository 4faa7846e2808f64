#include "audiolib/mpeg_frame.h"

namespace sonvale::audiolib {

std::optional<MpegFrame> mpeg_frame_at(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 4) return std::nullopt;
  const std::uint32_t header = std::uint32_t{data[0]} << 24 | std::uint32_t{data[1]} << 16 |
                               std::uint32_t{data[2]} << 8 | data[3];
  constexpr std::uint32_t kSync = 0xFFE00000;
  const unsigned version = header >> 19 & 3;  // 0 MPEG 2.5, 1 reserved, 2 MPEG 2, 3 MPEG 1
  const unsigned layer = header >> 17 & 3;    // 1 layer III, 2 layer II, 3 layer I
  const unsigned bitrate = header >> 12 & 15;
  const unsigned rate = header >> 10 & 3;
  if ((header & kSync) != kSync || version == 1 || layer == 0 || bitrate == 15 || rate == 3)
    return std::nullopt;
  constexpr int kMpeg1Rates[] = {44100, 48000, 32000};
  MpegFrame frame;
  frame.rate = kMpeg1Rates[rate] / (version == 3 ? 1 : version == 2 ? 2 : 4);
  frame.samples = layer == 3 ? 384 : layer == 2 || version == 3 ? 1152 : 576;
  return frame;
}

}  // namespace sonvale::audiolib
