#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/engine_context.h"
#include "engine/sample_format.h"
#include "engine/sound_mode.h"
#include "test_signals.h"

namespace sonvale::engine::test {

// Memory of its own for one mode and blocks of up to block_frames (a last block
// with its padding included), with the context to run it.
class TestEngine {
 public:
  TestEngine(SoundMode mode, std::int64_t block_frames, int threads, Isa isa);
  TestEngine(const TestEngine&) = delete;
  TestEngine& operator=(const TestEngine&) = delete;

  EngineContext& context() { return context_; }
  const EngineMemory& memory() const { return context_.memory; }
  PlaybackState& state() { return state_; }
  WorkerPool& pool() { return pool_; }

 private:
  std::vector<float> input_, carry_, a_, b_, c_, tail_;
  std::vector<std::byte> scratch_;
  TableSet tables_;
  PlaybackState state_;
  RangeTables ranges_;
  WorkerPool pool_;
  EngineContext context_;
};

// The stream played the way the engine thread assembles blocks: each full block
// of block_frames gets its lead-in from the carry buffer and the source that follows
// it as continuation; the stream's end is a last block with its zero padding. The
// delivered outputs, concatenated.
std::vector<Frame> play_in_blocks(std::span<const Frame> stream, SoundMode mode, int filter,
                                  std::int64_t block_frames, int threads, Isa isa);

}  // namespace sonvale::engine::test
