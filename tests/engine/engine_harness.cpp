#include "engine_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/block_processing.h"
#include "engine/post_filter.h"
#include "engine/products.h"
#include "engine/stage_chain.h"

namespace sonvale::engine::test {

namespace {

std::int64_t lead_frames(SoundMode mode) { return lead_in_bytes(mode) / 8; }
std::int64_t continuation_frames(SoundMode mode) { return continuation_bytes(mode) / 8; }

Block largest_block(SoundMode mode, std::int64_t block_frames) {
  return {static_cast<std::int32_t>((block_frames + lead_frames(mode)) * 8), true};
}

std::int64_t work_frames(SoundMode mode, std::int64_t block_frames) {
  const Block block = largest_block(mode, block_frames);
  return std::max(work_frames_needed(mode, block), post_filter_frames_needed(mode, block));
}

FrameBuffer view(std::vector<float>& samples) {
  return {samples.data(), static_cast<std::int64_t>(samples.size() / 2)};
}

std::span<std::byte> aligned_scratch(std::vector<std::byte>& bytes) {
  const auto address = reinterpret_cast<std::uintptr_t>(bytes.data());
  const std::size_t skip = (kScratchAlignment - address % kScratchAlignment) % kScratchAlignment;
  return std::span(bytes).subspan(skip, bytes.size() - kScratchAlignment);
}

}  // namespace

TestEngine::TestEngine(SoundMode mode, std::int64_t block_frames, int threads, Isa isa)
    : input_(2 * (2 * lead_frames(mode) + block_frames + continuation_frames(mode))),
      carry_(2 * (lead_frames(mode) + continuation_frames(mode))),
      a_(2 * work_frames(mode, block_frames)),
      b_(a_.size()),
      c_(a_.size()),
      tail_(2 * kFilterHistoryFrames),
      scratch_(threads * kScratchSlotBytes + kScratchAlignment),
      context_{{view(input_), view(carry_), view(a_), view(b_), view(c_), view(tail_),
                aligned_scratch(scratch_), tables_.view()},
               state_, ranges_, pool_, isa} {
  state_.processor_count = static_cast<std::int8_t>(threads);
  state_.worker_priority = 16;
}

std::vector<Frame> play_in_blocks(std::span<const Frame> stream, SoundMode mode, int filter,
                                  std::int64_t block_frames, int threads, Isa isa) {
  TestEngine engine(mode, block_frames, threads, isa);
  const EngineMemory& memory = engine.memory();
  const std::int64_t lead = lead_frames(mode);
  const std::int64_t continuation = continuation_frames(mode);
  const auto total = static_cast<std::int64_t>(stream.size());
  // Copies stream frames [from, from + count) to input frame `at`, zeros past its end.
  const auto fill = [&](std::int64_t at, std::int64_t from, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i)
      *reinterpret_cast<Frame*>(memory.input.frame(at + i)) = from + i < total ? stream[from + i] : Frame{};
  };

  std::vector<Frame> output;
  for (std::int64_t position = 0;; position += block_frames) {
    const std::int64_t remaining = total - position;
    const bool last = remaining < block_frames;
    const std::int64_t length = last ? remaining + lead : block_frames;
    if (position > 0) {
      // The carry holds the lead-in, then the start of this block decoded ahead.
      const std::int64_t ahead = std::min(continuation, remaining);
      EXPECT_EQ(0, std::memcmp(memory.carry.frame(lead), stream.data() + position, ahead * 8));
    }
    std::memcpy(memory.input.data, memory.carry.data, lead * 8);
    fill(lead, position, last ? remaining : length);
    if (last)
      std::fill(memory.input.frame(lead + remaining), memory.input.frame(lead + length), 0.0f);
    else
      fill(lead + length, position + length, continuation);
    const Block block{static_cast<std::int32_t>(length * 8), last};
    if (process_block(engine.context(), mode, filter, block, threads) != Outcome::Finished) return {};
    const auto* out = reinterpret_cast<const Frame*>(memory.work_a.data);
    output.insert(output.end(), out, out + output_length(mode, block) / 8);
    if (last) return output;
  }
}

}  // namespace sonvale::engine::test
