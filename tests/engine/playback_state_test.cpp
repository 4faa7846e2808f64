#include "engine/playback_state.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/sound_mode.h"

namespace sonvale::engine {
namespace {

// An engine-like producer refills output buffer 1 and publishes it; a device-like
// consumer takes it only once its read position reads 0. Whoever sees that 0 must
// see the whole block and its length (ThreadSanitizer checks the ordering too).
TEST(PlaybackState, APublishedFillIsCompleteWhenItsReadPositionReadsZero) {
  PlaybackState state;
  OutputHandover& handover = state.output_buffer(1);
  handover.read_position = 1;  // nothing published yet
  std::vector<float> samples(4096);
  constexpr int kBlocks = 2000;

  std::thread engine([&] {
    for (int block = 1; block <= kBlocks; ++block) {
      while (handover.read_position.load(std::memory_order_acquire) == 0) std::this_thread::yield();
      const int frames = 1 + block % 2048;
      for (int i = 0; i < frames * 2; ++i) samples[i] = static_cast<float>(block);
      publish_fill(state, 1, frames * 8);
    }
  });

  int taken = 0;
  bool complete = true;
  while (taken < kBlocks) {
    if (handover.read_position.load(std::memory_order_acquire) != 0) {
      std::this_thread::yield();
      continue;
    }
    ++taken;
    const int length = handover.fill_length.load(std::memory_order_acquire);
    complete = complete && length == (1 + taken % 2048) * 8;
    for (int i = 0; i < length / 4; ++i) complete = complete && samples[i] == taken;
    handover.read_position.store(length, std::memory_order_release);
  }
  engine.join();
  EXPECT_TRUE(complete);
  EXPECT_EQ(state.first_fill_count, (1 + kBlocks % 2048) * 8);
}

TEST(PlaybackState, StartsIdleWithRedTimesOneAndLpfGreen) {
  PlaybackState state;
  EXPECT_EQ(state.engine_run_state, kEngineIdle);
  EXPECT_EQ(state.output_rate, 0);
  EXPECT_EQ(state.first_fill_count, 0);
  EXPECT_EQ(sound_mode_of(1, state.x1_variant), SoundMode::Red1);
  EXPECT_EQ(state.post_filter, kPostFilterHamming255);
}

TEST(SoundMode, EachMultiplierAndVariantNamesOneModeAndNothingElseDoes) {
  for (const SoundModeInfo& info : kSoundModes)
    EXPECT_EQ(sound_mode_of(info.multiplier, info.variant), info.mode) << info.label;
  EXPECT_FALSE(sound_mode_of(1, 2).has_value());
  EXPECT_FALSE(sound_mode_of(2, 3).has_value());
  EXPECT_FALSE(sound_mode_of(3, 0).has_value());
  EXPECT_FALSE(sound_mode_of(0, 0).has_value());
  EXPECT_FALSE(sound_mode_of(4, -1).has_value());
}

}  // namespace
}  // namespace sonvale::engine
