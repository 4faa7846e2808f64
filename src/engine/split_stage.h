#pragma once

#include <cstdint>
#include <span>

#include "engine/engine_context.h"

namespace sonvale::engine {

// Divides positions 0 .. range_end (bytes, inclusive, in steps of `step` bytes) into
// `threads` contiguous shares: each share but the last covers ⌊split_on ÷ threads⌋
// bytes rounded down to a whole step, the last one runs to range_end. Writes them to
// the range tables.
void divide_shares(RangeTables& ranges, std::int64_t split_on, std::int32_t range_end, int step,
                   int threads);

// Scratch slot of share t when `threads` shares run at once.
std::span<std::byte> scratch_slot(std::span<std::byte> scratch, int t, int threads);

// Runs one stage: share(t, first, last, scratch) computes positions first .. last of
// share t (false when it saw the stop request). Share 0 runs on the calling thread,
// the others on the pool's workers; it returns when every share has. Stopped when
// the stop request is set at the end.
template <class Share>
Outcome split_stage(EngineContext& context, std::int64_t split_on, std::int32_t range_end, int step,
                    int threads, Share&& share) {
  divide_shares(context.ranges, split_on, range_end, step, threads);
  const RangeTables& ranges = context.ranges;
  const std::span<std::byte> scratch = context.memory.scratch;
  context.pool.run(threads, context.state.worker_priority.load(std::memory_order_relaxed),
                   [&](int t) { share(t, ranges.start[t], ranges.end[t], scratch_slot(scratch, t, threads)); });
  return context.state.stop_request.load(std::memory_order_acquire) != 0 ? Outcome::Stopped
                                                                          : Outcome::Finished;
}

// The processor count as the split reads it: 1 .. 32.
int split_threads(const PlaybackState& state);

}  // namespace sonvale::engine
