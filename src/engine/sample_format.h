#pragma once

#include <cstdint>

namespace sonvale::engine {

// One stereo frame: left then right, 32-bit IEEE float, full scale +-1.0. Every
// sample buffer holds interleaved frames; offsets and lengths are byte counts.
struct Frame {
  float left;
  float right;
};
static_assert(sizeof(Frame) == 8);

inline constexpr std::int32_t kFrameBytes = 8;

// The engine's unit of source data: 3,145,728 frames, 71.33 s at 44.1 kHz.
inline constexpr std::int32_t kBlockBytes = 25'165'824;
inline constexpr std::int32_t kBlockFrames = kBlockBytes / kFrameBytes;

}  // namespace sonvale::engine
