#pragma once

#include <array>
#include <cstdint>

#include "engine/engine_context.h"
#include "engine/sound_mode.h"

namespace sonvale::engine {

// Every stage centres its product 1,024 frames ahead of its position: position p
// (bytes) reads around source frame p / 8 + 1,024.
inline constexpr std::int32_t kLookAheadFrames = 1024;

enum class StageKind {
  Interleave,  // destination frame 2j := product at j, frame 2j + 1 := the centre frame
  Shift,       // destination frame j := product at j
  Decimate,    // even j only: destination frame j / 2 := product at j
};

enum class Kernel { Quarter, Half };
enum class Area { Input, A, B, C };

struct Stage {
  StageKind kind;
  int product_step;  // frames between the frames a product reads: 1 or 2
  Kernel kernel;
  Area source;
  Area destination;
  int length_multiple;     // positions are split on length_multiple × block length
  std::int32_t end_extra;  // range end = length_multiple × block length + end_extra (bytes)
};

// The chain of one Sound mode and the input it needs. The input buffer holds, in
// frames of 8 bytes:
//   [0, lead_in)                       the lead-in: what came just before the block
//   [lead_in, lead_in + length)        the block's data (a last block's padding included)
//   [.. + length, .. + continuation)   after a full block, the source that follows it;
//                                      after a last block, zeros (run_chain writes them)
struct Chain {
  SoundMode mode;
  std::int32_t lead_in;       // bytes
  std::int32_t continuation;  // bytes
  bool one_thread_form;       // runs on one thread when multi-threading is not allowed
  Area final_buffer;
  int stage_count;
  std::array<Stage, 5> stages;
};

// The chain of a processing mode; nullptr for Green x 1, which has none.
const Chain* chain_of(SoundMode mode);

std::int32_t lead_in_bytes(SoundMode mode);
std::int32_t continuation_bytes(SoundMode mode);

// Frames valid in the final buffer after the chain: the output frames and the 1,152
// that the post filters read beyond them.
std::int64_t final_frames(SoundMode mode, Block block);

// Frames the chain writes into each work buffer, at most (for sizing).
std::int64_t work_frames_needed(SoundMode mode, Block block);

// Runs the mode's stages on the assembled input buffer, then the carry update: after
// a full block the carry buffer receives the lead-in of the next block followed by
// the continuation (which is the start of the next block's data); after a last block
// it is zeroed. `block_processors` is the processor count the engine copied for this
// block: it decides whether a mode with a one-thread form may split. Stopped when
// the stop request ended a stage; no later stage runs then, and nothing is carried.
Outcome run_chain(EngineContext& context, SoundMode mode, Block block, int block_processors);

}  // namespace sonvale::engine
