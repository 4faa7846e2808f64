#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sonvale::audiolib {

// What the header of one MPEG audio frame (layer I, II or III; MPEG 1, 2 or 2.5)
// says about the samples the frame decodes to.
struct MpegFrame {
  int samples = 0;  // per channel: 384, 1152 or 576
  int rate = 0;     // Hz
};

// The frame header at the start of `data`; nothing when it is not a valid one.
std::optional<MpegFrame> mpeg_frame_at(const std::uint8_t* data, std::size_t size);

}  // namespace sonvale::audiolib
