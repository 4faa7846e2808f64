#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/isa.h"
#include "engine/kernel_tables.h"
#include "engine/playback_state.h"
#include "engine/range_tables.h"
#include "engine/sample_buffers.h"
#include "engine/worker_pool.h"

namespace sonvale::engine {

// Interleaved stereo frames and how many fit.
struct FrameBuffer {
  float* data = nullptr;
  std::int64_t frames = 0;

  float* frame(std::int64_t i) const { return data + 2 * i; }
};

// The memory a block is computed in: the player's sample buffers, or buffers of a
// one-pass run.
struct EngineMemory {
  FrameBuffer input;  // lead-in, the block's data, then what follows it (see stage_chain.h)
  FrameBuffer carry;  // what the next block keeps of this one
  FrameBuffer work_a, work_b, work_c;
  FrameBuffer filter_tail;       // the 2,048 frames of post-filter input before this block
  std::span<std::byte> scratch;  // per-thread slots for the vectorised products
  Tables tables;
};

EngineMemory memory_of(const SampleBuffers& buffers);

// One block as the chain sees it.
struct Block {
  // Bytes of source data after the lead-in; on a last block this includes the zero
  // padding (one lead-in) that plays out the filters' delayed tail.
  std::int32_t length = 0;
  // The playlist ended in this block: zeros follow it, nothing is carried on.
  bool last = false;
};

enum class Outcome { Finished, Stopped };

// What a chain or a post filter runs with. The playback state gives the stop request
// (polled while computing), the processor count (read before each stage) and the
// worker-thread priority setting.
struct EngineContext {
  EngineMemory memory;
  PlaybackState& state;
  RangeTables& ranges;
  WorkerPool& pool;
  Isa isa = active_isa();
};

}  // namespace sonvale::engine
