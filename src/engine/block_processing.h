#pragma once

#include <span>
#include <vector>

#include "engine/engine_context.h"
#include "engine/post_filter.h"
#include "engine/sample_format.h"
#include "engine/sound_mode.h"

namespace sonvale::engine {

// One block of a processing mode, start to finish: the stage chain with its carry
// update, then the post filter into work buffer A, which then holds
// output_length(mode, block) bytes to deliver.
Outcome process_block(EngineContext& context, SoundMode mode, int post_filter, Block block,
                      int block_processors);

// The whole stream computed as one last block (lead-in of zeros, the stream, the zero
// padding), in memory of its own: what the engine delivers for it when it plays it in
// blocks of any length, multiplier × (frames + lead-in) frames. Green x 1 gives the
// stream as it is. `threads` stands for the processor count. Streams whose positions
// would not fit 32-bit byte offsets (about 67 million frames at x 4) give nothing.
std::vector<Frame> process_stream(std::span<const Frame> stream, SoundMode mode, int post_filter,
                                  const Tables& tables, int threads, Isa isa = active_isa());

// Frames the post filters read in the chain's final buffer beyond the output frames:
// the 128 of their alignment and the long filter's half-width.
inline constexpr std::int64_t kPostFilterReach = kPostFilterDelayFrames + kLongFilterTaps / 2 + 1;

// Post filter `post_filter` alone, as it runs after `mode`'s chain, in memory of its
// own: `input` stands for the chain's final buffer of a last block. Gives
// input.size() - kPostFilterReach output frames, rounded down to a whole number of
// multiplier frames; output frame m is centred on input frame m + 128. Nothing for
// Green x 1 (no post filter) or too short an input.
std::vector<Frame> post_filter_stream(std::span<const Frame> input, SoundMode mode, int post_filter,
                                      const Tables& tables, int threads, Isa isa = active_isa());

}  // namespace sonvale::engine
