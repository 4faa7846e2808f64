#include "engine/post_filter.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "engine/kernel_tables.h"
#include "engine/products.h"
#include "engine/split_stage.h"
#include "engine/stage_chain.h"

namespace sonvale::engine {
namespace {

const FrameBuffer& work_buffer(const EngineMemory& memory, Area a) {
  return a == Area::B ? memory.work_b : memory.work_c;
}

// Output frames 0 .. output_frames into work buffer A, `threads` shares: frame m is
// the product centred on frame m + centre of `source`.
Outcome filter(EngineContext& context, const FrameBuffer& source, std::int64_t centre,
               const double* table, int taps, std::int64_t output_frames, int threads) {
  const std::int64_t bytes = output_frames * 8;
  const auto share = [&](int, std::int32_t first, std::int32_t last, std::span<std::byte> scratch) {
    if (last < first) return true;
    ProductRun run;
    run.source = source.frame(first / 8 + centre - taps / 2);
    run.destination = context.memory.work_a.frame(first / 8);
    run.count = (last - first) / 8 + 1;
    run.table = table;
    run.taps = taps;
    return compute_products(context.isa, run, scratch, context.state.stop_request);
  };
  return split_stage(context, bytes, static_cast<std::int32_t>(bytes), 8, threads, share);
}

// The long filter reads Q: the history, then this block's post-filter input, then
// what follows it (the continuation after a full block, zeros after a last one).
Outcome long_filter(EngineContext& context, const FrameBuffer& s, const FrameBuffer& q,
                    std::int64_t n, Block block) {
  const EngineMemory& memory = context.memory;
  assert(q.frames >= kFilterHistoryFrames + n + kFilterHistoryFrames);
  std::memcpy(q.data, memory.filter_tail.data, kFilterHistoryFrames * 8);
  // Output frame n, computed but not delivered, reads 1,023 input frames past the
  // block; after a full block the chain has computed them.
  const std::int64_t look_ahead = kLongFilterTaps / 2 + 1;
  const std::int64_t copied = block.last ? n : n + look_ahead;
  std::memcpy(q.frame(kFilterHistoryFrames), s.frame(kPostFilterDelayFrames), copied * 8);
  if (block.last) {
    std::fill(q.frame(kFilterHistoryFrames + n), q.frame(2 * kFilterHistoryFrames + n), 0.0f);
    std::fill(memory.filter_tail.data, memory.filter_tail.frame(kFilterHistoryFrames), 0.0f);
  } else {
    // The last 2,048 frames of history plus input: what precedes the next block.
    std::memcpy(memory.filter_tail.data, q.frame(n), kFilterHistoryFrames * 8);
  }
  return filter(context, q, kFilterHistoryFrames, memory.tables.hamming2047, kLongFilterTaps, n,
                split_threads(context.state));
}

}  // namespace

std::int32_t output_length(SoundMode mode, Block block) {
  return info_of(mode).multiplier * block.length;
}

std::int64_t post_filter_frames_needed(SoundMode mode, Block block) {
  return 2 * kFilterHistoryFrames + output_length(mode, block) / 8 + 1;
}

Outcome run_post_filter(EngineContext& context, SoundMode mode, int filter_choice, Block block) {
  const Chain* chain = chain_of(mode);
  assert(chain != nullptr && block.length >= 0 && block.length % 8 == 0);
  const EngineMemory& memory = context.memory;
  const FrameBuffer& s = work_buffer(memory, chain->final_buffer);
  const std::int64_t n = output_length(mode, block) / 8;
  assert(s.frames >= final_frames(mode, block) && final_frames(mode, block) >= n + 1152);
  assert(memory.work_a.frames > n && memory.filter_tail.frames >= kFilterHistoryFrames);
  switch (filter_choice) {
    case kPostFilterHamming255:
      return filter(context, s, kPostFilterDelayFrames, memory.tables.hamming255, kShortFilterTaps, n, 1);
    case kPostFilterBlackman255:
      return filter(context, s, kPostFilterDelayFrames, memory.tables.blackman255, kShortFilterTaps, n, 1);
    case kPostFilterHamming2047: {
      const FrameBuffer& q = work_buffer(memory, chain->final_buffer == Area::B ? Area::C : Area::B);
      return long_filter(context, s, q, n, block);
    }
    default:
      std::memcpy(memory.work_a.data, s.frame(kPostFilterDelayFrames), n * 8);
      return Outcome::Finished;
  }
}

}  // namespace sonvale::engine
