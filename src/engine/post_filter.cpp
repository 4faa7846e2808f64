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

// Where a filter reads: frame m's product is centred on frame m + centre.
struct Source {
  const FrameBuffer* frames;
  std::int64_t centre;
};

// Output frames 0 .. output_frames into work buffer A, `threads` shares. Frames
// before `body_from` read `head`, the others `body`.
Outcome filter(EngineContext& context, Source head, Source body, std::int64_t body_from, const double* table,
               int taps, std::int64_t output_frames, int threads) {
  const std::int64_t bytes = output_frames * 8;
  const auto run_part = [&](Source source, std::int64_t first, std::int64_t last, std::span<std::byte> scratch) {
    if (last < first) return true;
    ProductRun run;
    run.source = source.frames->frame(first + source.centre - taps / 2);
    run.destination = context.memory.work_a.frame(first);
    run.count = last - first + 1;
    run.table = table;
    run.taps = taps;
    return compute_products(context.isa, run, scratch, context.state.stop_request);
  };
  const auto share = [&](int, std::int32_t first, std::int32_t last, std::span<std::byte> scratch) {
    const std::int64_t f = first / 8, l = last / 8;
    return run_part(head, f, std::min(l, body_from - 1), scratch) &&
           run_part(body, std::max(f, body_from), l, scratch);
  };
  return split_stage(context, bytes, static_cast<std::int32_t>(bytes), 8, threads, share);
}

Outcome filter(EngineContext& context, Source source, const double* table, int taps, std::int64_t output_frames,
               int threads) {
  return filter(context, source, source, output_frames + 1, table, taps, output_frames, threads);
}

// The long filter reads Q: the history, then this block's post-filter input, then
// what follows it (the continuation after a full block, zeros after a last one).
// After a full block only the outputs whose window reaches into the history need
// Q; the rest read the same frames where the chain left them in S, which spares
// copying the whole block.
Outcome long_filter(EngineContext& context, const FrameBuffer& s, const FrameBuffer& q,
                    std::int64_t n, Block block) {
  const EngineMemory& memory = context.memory;
  assert(q.frames >= kFilterHistoryFrames + n + kFilterHistoryFrames);
  assert(memory.filter_tail.frames >= kFilterHistoryFrames);
  const int threads = split_threads(context.state);
  const double* table = memory.tables.hamming2047;
  constexpr std::int64_t kReach = kLongFilterTaps / 2;
  std::memcpy(q.data, memory.filter_tail.data, kFilterHistoryFrames * 8);
  if (!block.last && n >= kFilterHistoryFrames) {
    // Output m reads Q frames m + 2,048 - reach on, into the history for m < reach.
    // Those outputs read Q up to frame head_frames - 1 + 2,048 + reach.
    const std::int64_t head_frames = kReach;
    std::memcpy(q.frame(kFilterHistoryFrames), s.frame(kPostFilterDelayFrames), (head_frames + kReach) * 8);
    // The last 2,048 frames of history plus input, what precedes the next block:
    // Q frames n .. n + 2,047, which are S frames n - 1,920 .. n + 127.
    std::memcpy(memory.filter_tail.data, s.frame(n - kFilterHistoryFrames + kPostFilterDelayFrames),
                kFilterHistoryFrames * 8);
    return filter(context, {&q, kFilterHistoryFrames}, {&s, kPostFilterDelayFrames}, head_frames, table,
                  kLongFilterTaps, n, threads);
  }
  // Output frame n, computed but not delivered, reads 1,023 input frames past the
  // block; after a full block the chain has computed them.
  const std::int64_t look_ahead = kReach + 1;
  const std::int64_t copied = block.last ? n : n + look_ahead;
  std::memcpy(q.frame(kFilterHistoryFrames), s.frame(kPostFilterDelayFrames), copied * 8);
  if (block.last) {
    std::fill(q.frame(kFilterHistoryFrames + n), q.frame(2 * kFilterHistoryFrames + n), 0.0f);
    std::fill(memory.filter_tail.data, memory.filter_tail.frame(kFilterHistoryFrames), 0.0f);
  } else {
    std::memcpy(memory.filter_tail.data, q.frame(n), kFilterHistoryFrames * 8);
  }
  return filter(context, {&q, kFilterHistoryFrames}, table, kLongFilterTaps, n, threads);
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
  assert(memory.work_a.frames > n);
  switch (filter_choice) {
    case kPostFilterHamming255:
      return filter(context, {&s, kPostFilterDelayFrames}, memory.tables.hamming255, kShortFilterTaps, n, 1);
    case kPostFilterBlackman255:
      return filter(context, {&s, kPostFilterDelayFrames}, memory.tables.blackman255, kShortFilterTaps, n, 1);
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
