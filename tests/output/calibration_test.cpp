// The input level calibration: the callback's rules on made-up blocks, then a whole
// calibration recording the test tone through the Test loop.
#include "output/calibration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "audiolib/record.h"
#include "audiolib/system_sound.h"
#include "platform/time.h"

namespace sonvale::output {
namespace {

void feed(Calibration& c, std::vector<float> block) {
  EXPECT_TRUE(calibration_callback(0, block.data(), static_cast<std::uint32_t>(block.size() * sizeof(float)), &c));
}

void start_at(Calibration& c, float volume, float step, float highest_peak) {
  c.input_volume = volume;
  c.level_step = step;
  c.highest_peak = highest_peak;
}

TEST(CalibrationCallback, ALoudFirstSampleIsThePeakAndASecondAsLoudOneClips) {
  Calibration first;
  start_at(first, 0.5f, kCoarseStep, 0.0f);
  feed(first, {0.99f, -0.5f, 0.2f});
  EXPECT_EQ(first.clip_seen, 0);
  EXPECT_FLOAT_EQ(first.highest_peak, 0.99f);
  EXPECT_FLOAT_EQ(first.input_volume, 0.6f);

  // The second 0.99 does not top the peak: a clip, and the rest of the block is not
  // looked at (its 0.995 would have been a new peak).
  Calibration second;
  start_at(second, 0.5f, kCoarseStep, 0.0f);
  feed(second, {-0.99f, 0.99f, 0.995f});
  EXPECT_EQ(second.clip_seen, 1);
  EXPECT_FLOAT_EQ(second.input_volume, 0.4f);
  EXPECT_FLOAT_EQ(second.highest_peak, 0.0f);

  // Below the clip level a sample that does not top the peak is let pass.
  Calibration quiet;
  start_at(quiet, 0.5f, kCoarseStep, 0.0f);
  feed(quiet, {0.9f, 0.9f, 0.97f, -0.97f});
  EXPECT_EQ(quiet.clip_seen, 0);
  EXPECT_FLOAT_EQ(quiet.highest_peak, 0.97f);
}

TEST(CalibrationCallback, FullScaleIsNeverAPeakAndAlwaysClips) {
  for (const std::vector<float>& block : {std::vector<float>{1.0f}, std::vector<float>{0.3f, -1.0f, 0.5f}}) {
    Calibration c;
    start_at(c, 0.5f, kCoarseStep, 0.0f);
    feed(c, block);
    EXPECT_EQ(c.clip_seen, 1);
    EXPECT_FLOAT_EQ(c.input_volume, 0.4f);
    EXPECT_FLOAT_EQ(c.highest_peak, 0.0f);
  }
}

TEST(CalibrationCallback, TheFinePhaseBacksOffFiveStepsAndClimbsOne) {
  Calibration clip;
  start_at(clip, 0.5f, kFineStep, 0.5f);
  feed(clip, {0.5f, 0.99f, 0.99f});
  EXPECT_EQ(clip.clip_seen, 1);
  EXPECT_FLOAT_EQ(clip.input_volume, 0.45f);

  Calibration climb;
  start_at(climb, 0.5f, kFineStep, 0.5f);
  feed(climb, {0.6f});
  EXPECT_FLOAT_EQ(climb.input_volume, 0.51f);
  EXPECT_FLOAT_EQ(climb.highest_peak, 0.6f);
  // A peak no higher than the highest so far leaves the level.
  feed(climb, {0.6f, 0.1f});
  EXPECT_FLOAT_EQ(climb.input_volume, 0.51f);
  EXPECT_EQ(climb.clip_seen, 0);
}

int test_loop_index() {
  audiolib::RecordDeviceInfo info;
  for (int i = 0; audiolib::BASS_RecordGetDeviceInfo(i, &info); ++i)
    if (info.name == "Test loop") return i;
  return -1;
}

// The loudest sample of about half a second recorded from the Test loop at `volume`.
float recorded_peak(float volume) {
  struct Peak {
    std::atomic<float> loudest{0.0f};
    std::atomic<int> samples{0};
  } peak;
  const audiolib::RecordProc take = [](std::uint32_t, const void* buffer, std::uint32_t length, void* user) {
    auto& p = *static_cast<Peak*>(user);
    const auto* s = static_cast<const float*>(buffer);
    for (std::uint32_t i = 0; i < length / 4; ++i) p.loudest = std::max(p.loudest.load(), std::fabs(s[i]));
    p.samples += static_cast<int>(length / 4);
    return p.samples < 44100;
  };
  EXPECT_TRUE(audiolib::BASS_RecordInit(test_loop_index()));
  audiolib::BASS_RecordSetInput(0, audiolib::kRecordInputOn, volume);
  audiolib::system_sound_play(kTestToneSound, true, 100);
  EXPECT_NE(audiolib::BASS_RecordStart(44100, 2, audiolib::kRecordFloat, take, &peak), 0u);
  while (audiolib::record_running()) platform::sleep_ms(5);
  audiolib::system_sound_stop(kTestToneSound);
  audiolib::BASS_RecordFree();
  return peak.loudest;
}

// The Test loop records the tone ten times louder than its level, so the
// calibration climbs to clipping and backs off to just below it.
TEST(Calibration, ConvergesOnTheTestLoopJustBelowClipping) {
  audiolib::system_sound_set_device("");  // the silent sink: no card needed
  ASSERT_TRUE(load_test_tone());
  Calibration c;
  int looks = 0;
  constexpr int kHung = 3000;  // 5 minutes of looks: only a calibration that never ends
  ASSERT_TRUE(calibrate(c, test_loop_index(), 0, [&] {
    platform::sleep_ms(100);
    return ++looks < kHung;
  }));
  ASSERT_LT(looks, kHung) << "the calibration never clipped";
  EXPECT_EQ(c.clip_seen, 1) << "the fine phase ended on a clip";
  EXPECT_FALSE(audiolib::record_running());

  const float level = c.input_volume;
  EXPECT_GT(level, 0.0f);
  const float peak = recorded_peak(level);
  EXPECT_GE(peak, 0.9f) << "level " << level;
  EXPECT_LE(peak, 0.98f) << "level " << level;
  free_test_tone();
}

TEST(Calibration, ADeviceThatDoesNotExistLeavesNothingRunning) {
  Calibration c;
  int looks = 0;
  EXPECT_FALSE(calibrate(c, 999, 0, [&] { return ++looks < 2; }));
  EXPECT_EQ(looks, 0);
  EXPECT_FALSE(audiolib::record_running());
  // Another device can be initialised at once.
  EXPECT_TRUE(audiolib::BASS_RecordInit(test_loop_index()));
  EXPECT_TRUE(audiolib::BASS_RecordFree());
}

}  // namespace
}  // namespace sonvale::output
