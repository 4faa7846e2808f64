// A stop request ends the stage in progress on every thread, and nothing after it runs.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <thread>

#include "engine/post_filter.h"
#include "engine/stage_chain.h"
#include "engine_harness.h"

namespace sonvale::engine {
namespace {

using test::TestEngine;

constexpr std::uint32_t kUnwritten = 0x7fc0dead;

void mark_unwritten(const FrameBuffer& buffer) {
  std::fill_n(reinterpret_cast<std::uint32_t*>(buffer.data), 2 * buffer.frames, kUnwritten);
}

bool written(const FrameBuffer& buffer, std::int64_t frame) {
  return std::bit_cast<std::uint32_t>(buffer.frame(frame)[0]) != kUnwritten;
}

// White x 4 on four threads; the stop comes as soon as its third stage (B to C,
// 4 x block frames) has been handed out. Each share of that stage must end long
// before its last frame, and stages 4 and 5 must never be handed out.
TEST(Stop, ARequestDuringAStageEndsEveryShareAndNoLaterStageRuns) {
  constexpr std::int64_t kBlock = std::int64_t{1} << 20;
  constexpr int kThreads = 4;
  const SoundMode mode = SoundMode::White4;
  TestEngine engine(mode, kBlock, kThreads, best_isa());
  const std::vector<Frame> input = test::noise((lead_in_bytes(mode) + 8 * kBlock + continuation_bytes(mode)) / 8, 1);
  std::memcpy(engine.memory().input.data, input.data(), input.size() * 8);
  mark_unwritten(engine.memory().work_c);
  const std::vector<float> carry_before(engine.memory().carry.data, engine.memory().carry.frame(4));

  std::thread stopper([&] {
    while (engine.pool().jobs_started() < 3) std::this_thread::yield();
    engine.state().stop_request = 1;
  });
  const Outcome outcome = run_chain(engine.context(), mode, Block{kBlock * 8, false}, kThreads);
  stopper.join();

  EXPECT_EQ(outcome, Outcome::Stopped);
  EXPECT_EQ(engine.pool().jobs_started(), 3u);
  const std::int64_t share = 2 * kBlock / kThreads;  // positions of each share
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_FALSE(written(engine.memory().work_c, 2 * (t + 1) * share - 2)) << "share " << t << " ran to its end";
  }
  EXPECT_EQ(std::memcmp(carry_before.data(), engine.memory().carry.data, carry_before.size() * 4), 0);
}

TEST(Stop, ARequestBeforeTheBlockWritesNothing) {
  const SoundMode mode = SoundMode::Brown2;
  TestEngine engine(mode, 4096, 2, best_isa());
  engine.state().stop_request = 1;
  mark_unwritten(engine.memory().work_b);
  mark_unwritten(engine.memory().work_a);
  const Block block{4096 * 8, false};
  EXPECT_EQ(run_chain(engine.context(), mode, block, 2), Outcome::Stopped);
  EXPECT_EQ(engine.pool().jobs_started(), 1u);
  EXPECT_FALSE(written(engine.memory().work_b, 0));
  for (int filter : {kPostFilterHamming255, kPostFilterHamming2047}) {
    EXPECT_EQ(run_post_filter(engine.context(), mode, filter, block), Outcome::Stopped);
    EXPECT_FALSE(written(engine.memory().work_a, 0));
  }
}

}  // namespace
}  // namespace sonvale::engine
