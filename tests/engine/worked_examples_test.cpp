// What the modes and filters do to simple signals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/kernel_tables.h"
#include "engine/post_filter.h"
#include "engine/stage_chain.h"
#include "engine_harness.h"

namespace sonvale::engine {
namespace {

using test::TestEngine;

constexpr std::int64_t kBlock = 8192;
constexpr Block kFullBlock{kBlock * 8, false};
constexpr double kCyclesPerFrame = 0.0113;  // about 500 Hz at 44.1 kHz
// Two quarter-kernel passes leave an error of a few 1e-4 on a tone this low: the
// kernels are unwindowed and cut off at 512 frames.
constexpr double kTruncation = 1e-3;

double tone(double frame) { return 0.8 * std::sin(2 * kPi * kCyclesPerFrame * frame); }

// Input frame i holds the tone at i (left) and its negative (right), throughout the
// lead-in, the block and its continuation.
void fill_tone(const TestEngine& engine, SoundMode mode) {
  const std::int64_t frames = (lead_in_bytes(mode) + kFullBlock.length + continuation_bytes(mode)) / 8;
  for (std::int64_t i = 0; i < frames; ++i) {
    engine.memory().input.frame(i)[0] = static_cast<float>(tone(i));
    engine.memory().input.frame(i)[1] = static_cast<float>(-tone(i));
  }
}

TEST(WorkedExamples, RedTimesOneShiftsALowToneByHalfAFrame) {
  TestEngine engine(SoundMode::Red1, kBlock, 2, best_isa());
  fill_tone(engine, SoundMode::Red1);
  ASSERT_EQ(run_chain(engine.context(), SoundMode::Red1, kFullBlock, 2), Outcome::Finished);
  double worst = 0;
  for (std::int64_t n = 0; n < final_frames(SoundMode::Red1, kFullBlock); ++n) {
    const float* out = engine.memory().work_c.frame(n);
    worst = std::max({worst, std::abs(out[0] - tone(n + 1535.5)), std::abs(out[1] + tone(n + 1535.5))});
  }
  EXPECT_LT(worst, kTruncation);
  // Not the unshifted source: half a frame is 0.025 of full scale at this pitch.
  EXPECT_GT(std::abs(engine.memory().work_c.frame(100)[0] - tone(1635)), 0.01);
}

TEST(WorkedExamples, GreenTimesTwoWritesTheNextFrameEstimatedThenTheSourceFrame) {
  TestEngine engine(SoundMode::Green2, kBlock, 2, best_isa());
  fill_tone(engine, SoundMode::Green2);
  ASSERT_EQ(run_chain(engine.context(), SoundMode::Green2, kFullBlock, 2), Outcome::Finished);
  const FrameBuffer& out = engine.memory().work_b;
  double worst = 0;
  for (std::int64_t j = 0; 2 * j + 1 < final_frames(SoundMode::Green2, kFullBlock); ++j) {
    ASSERT_EQ(std::memcmp(out.frame(2 * j + 1), engine.memory().input.frame(j + 1024), 8), 0) << j;
    worst = std::max(worst, std::abs(out.frame(2 * j)[0] - tone(j + 1025)));
  }
  EXPECT_LT(worst, kTruncation);
}

// A final buffer of the given frames, as a chain would leave it.
void fill_final(const TestEngine& engine, SoundMode mode, const std::vector<Frame>& frames) {
  const FrameBuffer& s = chain_of(mode)->final_buffer == Area::B ? engine.memory().work_b : engine.memory().work_c;
  std::memcpy(s.data, frames.data(), frames.size() * 8);
}

TEST(WorkedExamples, LpfBlueDelaysByExactly128Frames) {
  TestEngine engine(SoundMode::Brown2, kBlock, 1, best_isa());
  const std::vector<Frame> s = test::noise(final_frames(SoundMode::Brown2, kFullBlock), 3);
  fill_final(engine, SoundMode::Brown2, s);
  ASSERT_EQ(run_post_filter(engine.context(), SoundMode::Brown2, kPostFilterOff, kFullBlock), Outcome::Finished);
  const std::int64_t n = output_length(SoundMode::Brown2, kFullBlock) / 8;
  EXPECT_EQ(std::memcmp(engine.memory().work_a.data, &s[128], n * 8), 0);
}

TEST(WorkedExamples, LowPassFiltersPassAConstantScaledByTheirTableSum) {
  const SoundMode mode = SoundMode::Red4;
  TestEngine engine(mode, kBlock, 2, best_isa());
  fill_final(engine, mode, std::vector<Frame>(final_frames(mode, kFullBlock), Frame{0.5f, 0.5f}));
  const std::int64_t n = output_length(mode, kFullBlock) / 8;
  struct Case {
    int filter;
    double sum;
    std::int64_t first;  // LPF brown starts from a history of zeros
  };
  for (const Case& c : {Case{kPostFilterHamming255, 1.0000318632674998, 0},
                        Case{kPostFilterBlackman255, 1.000000000000367, 0},
                        Case{kPostFilterHamming2047, 1.00002387908567, 1023}}) {
    ASSERT_EQ(run_post_filter(engine.context(), mode, c.filter, kFullBlock), Outcome::Finished);
    const auto expected = static_cast<float>(0.5 * c.sum);
    std::int64_t mismatches = 0;
    for (std::int64_t m = c.first; m <= n; ++m)
      mismatches += engine.memory().work_a.frame(m)[0] != expected || engine.memory().work_a.frame(m)[1] != expected;
    EXPECT_EQ(mismatches, 0) << "filter " << c.filter;
  }
  EXPECT_LT(std::abs(engine.memory().work_a.frame(0)[0]), 0.5f);  // the brown filter's zero history
}

}  // namespace
}  // namespace sonvale::engine
