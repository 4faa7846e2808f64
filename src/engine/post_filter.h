#pragma once

#include <cstdint>

#include "engine/engine_context.h"
#include "engine/sound_mode.h"

namespace sonvale::engine {

// Every post filter delivers output frame m from around frame m + 128 of the chain's
// final buffer.
inline constexpr std::int64_t kPostFilterDelayFrames = 128;
// The long filter's history: post-filter input frames of the previous block.
inline constexpr std::int64_t kFilterHistoryFrames = 2048;

// Bytes a block delivers: the rate multiplier times its length.
std::int32_t output_length(SoundMode mode, Block block);

// Frames a work buffer needs for the post filter (the long filter's scratch).
std::int64_t post_filter_frames_needed(SoundMode mode, Block block);

// Applies post filter 0 .. 3 to the chain's final buffer and writes the block's
// output to work buffer A: N = output_length bytes, and for filters 1 to 3 one frame
// more, which is not delivered. Filter 3 (Hamming 2047 taps) works in the work buffer
// that is not the final one, with the 2,048 frames of history from the filter tail
// buffer, and splits over the processor count; filters 1 and 2 run on the calling
// thread alone. A value outside 0 .. 3 is taken as 0 (off). Stopped when the stop
// request ended the filter.
Outcome run_post_filter(EngineContext& context, SoundMode mode, int filter, Block block);

}  // namespace sonvale::engine
