#include "engine/stage_chain.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>

#include "engine/products.h"
#include "engine/split_stage.h"

namespace sonvale::engine {
namespace {

using enum StageKind;
using enum Kernel;
using enum Area;

// Range ends reach as far as the next stage (and the long post filter, 1,151 frames
// past the output) reads, so every frame a stage reads was written earlier in the
// same block or is real input; the continuation is the input that needs after the
// block's data.
constexpr std::array<Chain, 8> kChains{{
    {SoundMode::Red1, 33'792, 0, true, C, 2,
     {{{Interleave, 1, Quarter, Input, B, 1, 17'408},
       {Decimate, 2, Quarter, B, C, 2, 18'416}}}},
    {SoundMode::Green2, 17'408, 3'584, true, B, 1,
     {{{Interleave, 2, Half, Input, B, 1, 4'600}}}},
    {SoundMode::Brown2, 33'792, 1'536, false, B, 3,
     {{{Interleave, 2, Quarter, Input, B, 1, 18'936},
       {Shift, 1, Quarter, B, C, 2, 25'592},
       {Shift, 2, Quarter, C, B, 2, 9'208}}}},
    {SoundMode::White2, 33'792, 17'920, false, B, 4,
     {{{Shift, 2, Quarter, Input, A, 1, 35'320},
       {Interleave, 2, Quarter, A, B, 1, 18'936},
       {Shift, 1, Quarter, B, C, 2, 25'592},
       {Shift, 2, Quarter, C, B, 2, 9'208}}}},
    {SoundMode::Green4, 20'992, 5'888, true, C, 2,
     {{{Interleave, 2, Half, Input, B, 1, 10'488},
       {Interleave, 2, Half, B, C, 2, 4'600}}}},
    {SoundMode::Red4, 25'088, 8'192, true, B, 3,
     {{{Interleave, 2, Half, Input, B, 1, 16'888},
       {Interleave, 2, Quarter, B, C, 2, 10'744},
       {Shift, 1, Quarter, C, B, 4, 9'208}}}},
    {SoundMode::Brown4, 25'088, 8'960, false, C, 4,
     {{{Interleave, 2, Quarter, Input, B, 1, 17'656},
       {Interleave, 2, Quarter, B, C, 2, 18'936},
       {Shift, 1, Quarter, C, B, 4, 25'592},
       {Shift, 2, Quarter, B, C, 4, 9'208}}}},
    {SoundMode::White4, 25'088, 25'344, false, C, 5,
     {{{Shift, 2, Quarter, Input, A, 1, 34'040},
       {Interleave, 2, Quarter, A, B, 1, 17'656},
       {Interleave, 2, Quarter, B, C, 2, 18'936},
       {Shift, 1, Quarter, C, B, 4, 25'592},
       {Shift, 2, Quarter, B, C, 4, 9'208}}}},
}};

int position_step(const Stage& stage) { return stage.kind == Decimate ? 16 : 8; }

std::int64_t range_end(const Stage& stage, Block block) {
  const std::int64_t end = std::int64_t{stage.length_multiple} * block.length + stage.end_extra;
  return end - end % position_step(stage);
}

// Destination frame of the product at position frame j.
std::int64_t destination_frame(StageKind kind, std::int64_t j) {
  switch (kind) {
    case Interleave: return 2 * j;
    case Shift: return j;
    case Decimate: return j / 2;
  }
  return j;
}

// Frames a stage writes from the destination's start.
std::int64_t frames_written(const Stage& stage, Block block) {
  const std::int64_t last = destination_frame(stage.kind, range_end(stage, block) / 8);
  return stage.kind == Interleave ? last + 2 : last + 1;
}

const FrameBuffer& area(const EngineMemory& memory, Area a) {
  switch (a) {
    case A: return memory.work_a;
    case B: return memory.work_b;
    case C: return memory.work_c;
    case Input: break;
  }
  return memory.input;
}

// The interleave stage's copies of the centre frames, in pieces so that a stop is
// seen soon.
bool copy_centres(const StopFlag& stop, const FrameBuffer& source, const FrameBuffer& destination,
                  std::int64_t j_first, std::int64_t j_last) {
  constexpr std::int64_t kPiece = 4096;
  for (std::int64_t j0 = j_first; j0 <= j_last; j0 += kPiece) {
    if (stop.load(std::memory_order_relaxed) != 0) return false;
    const std::int64_t j_end = std::min(j0 + kPiece - 1, j_last);
    for (std::int64_t j = j0; j <= j_end; ++j)
      std::memcpy(destination.frame(2 * j + 1), source.frame(j + kLookAheadFrames), 8);
  }
  return true;
}

// Positions first .. last (bytes) of a stage. A step-2 product over every frame is
// two runs, one per parity of the position, each reading every second frame.
bool compute_share(const EngineContext& context, const Stage& stage, const double* kernel,
                   std::int32_t first, std::int32_t last, std::span<std::byte> scratch) {
  const std::int64_t j_first = first / 8;
  const std::int64_t j_last = last / 8;
  if (j_last < j_first) return true;
  const FrameBuffer& source = area(context.memory, stage.source);
  const FrameBuffer& destination = area(context.memory, stage.destination);
  const StopFlag& stop = context.state.stop_request;
  if (stage.kind == Interleave && !copy_centres(stop, source, destination, j_first, j_last))
    return false;
  const int p = stage.product_step;
  const int centre_step = position_step(stage) / 8;
  assert(p % centre_step == 0);
  for (std::int64_t j0 = j_first; j0 < j_first + p && j0 <= j_last; j0 += centre_step) {
    ProductRun run;
    run.source = source.frame(j0 + kLookAheadFrames - p * kKernelHalfWidth);
    run.source_stride = p;
    run.destination = destination.frame(destination_frame(stage.kind, j0));
    run.destination_stride = destination_frame(stage.kind, j0 + p) - destination_frame(stage.kind, j0);
    run.count = (j_last - j0) / p + 1;
    run.table = kernel;
    run.taps = kKernelTaps;
    if (!compute_products(context.isa, run, scratch, stop)) return false;
  }
  return true;
}

void carry_update(const EngineMemory& memory, const Chain& chain, Block block) {
  if (block.last) {
    std::fill_n(memory.carry.data, 2 * memory.carry.frames, 0.0f);
    return;
  }
  const std::int64_t frames = (chain.lead_in + chain.continuation) / 8;
  assert(memory.carry.frames >= frames);
  std::memcpy(memory.carry.data, memory.input.frame(block.length / 8), frames * 8);
}

}  // namespace

const Chain* chain_of(SoundMode mode) {
  for (const Chain& chain : kChains)
    if (chain.mode == mode) return &chain;
  return nullptr;
}

std::int32_t lead_in_bytes(SoundMode mode) {
  const Chain* chain = chain_of(mode);
  return chain != nullptr ? chain->lead_in : 0;
}

std::int32_t continuation_bytes(SoundMode mode) {
  const Chain* chain = chain_of(mode);
  return chain != nullptr ? chain->continuation : 0;
}

std::int64_t final_frames(SoundMode mode, Block block) {
  const Chain& chain = *chain_of(mode);
  return frames_written(chain.stages[chain.stage_count - 1], block);
}

std::int64_t work_frames_needed(SoundMode mode, Block block) {
  const Chain& chain = *chain_of(mode);
  std::int64_t frames = 0;
  for (int s = 0; s < chain.stage_count; ++s) frames = std::max(frames, frames_written(chain.stages[s], block));
  return frames;
}

Outcome run_chain(EngineContext& context, SoundMode mode, Block block, int block_processors) {
  const Chain* chain = chain_of(mode);
  assert(chain != nullptr);
  assert(block.length >= 0 && block.length % 8 == 0);
  const EngineMemory& memory = context.memory;
  assert(memory.tables.complete());
  const std::int64_t data_end = (chain->lead_in + std::int64_t{block.length}) / 8;
  const std::int64_t input_end = data_end + chain->continuation / 8;
  assert(memory.input.frames >= input_end);
  assert(memory.work_a.frames >= work_frames_needed(mode, block));
  assert(memory.work_b.frames >= work_frames_needed(mode, block));
  assert(memory.work_c.frames >= work_frames_needed(mode, block));
  if (block.last) std::fill(memory.input.frame(data_end), memory.input.frame(input_end), 0.0f);

  const bool alone = chain->one_thread_form && block_processors < 2;
  for (int s = 0; s < chain->stage_count; ++s) {
    const Stage& stage = chain->stages[s];
    const int threads = alone ? 1 : split_threads(context.state);
    const std::int64_t end = range_end(stage, block);
    assert(end <= INT_MAX);
    const double* kernel = stage.kernel == Quarter ? memory.tables.quarter : memory.tables.half;
    const auto share = [&](int, std::int32_t first, std::int32_t last, std::span<std::byte> scratch) {
      return compute_share(context, stage, kernel, first, last, scratch);
    };
    const std::int64_t split_on = std::int64_t{stage.length_multiple} * block.length;
    if (split_stage(context, split_on, static_cast<std::int32_t>(end), position_step(stage), threads,
                    share) == Outcome::Stopped)
      return Outcome::Stopped;
  }
  carry_update(memory, *chain, block);
  return Outcome::Finished;
}

}  // namespace sonvale::engine
