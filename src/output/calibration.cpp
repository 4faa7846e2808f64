#include "output/calibration.h"

#include <cmath>

#include "audiolib/record.h"
#include "audiolib/system_sound.h"
#include "output/sound_assets.h"

namespace sonvale::output {
namespace {

using namespace audiolib;

void set_input_level(Calibration& c) { BASS_RecordSetInput(c.chosen_input.load(), kRecordInputOn, c.input_volume.load()); }

// Waits out one phase: until the callback has seen a clip, or `look` ends it.
void run_phase(const Calibration& c, const std::function<bool()>& look) {
  while (look() && c.clip_seen.load() == 0) {
  }
}

}  // namespace

bool load_test_tone() { return system_sound_load(kTestToneSound, sound_asset("test_tone.wav")); }

void free_test_tone() { system_sound_free(kTestToneSound); }

bool calibration_callback(std::uint32_t, const void* buffer, std::uint32_t length, void* user) {
  Calibration& c = *static_cast<Calibration*>(user);
  const auto* samples = static_cast<const float*>(buffer);
  float block_peak = 0.0f;
  for (std::uint32_t i = 0; i < length / sizeof(float); ++i) {
    const float a = std::fabs(samples[i]);
    if (a > block_peak && a != 1.0f) {
      block_peak = a;
      continue;
    }
    if (a >= kClipLevel) {
      const float step = c.level_step.load();
      c.input_volume = c.input_volume.load() - (step == kCoarseStep ? step : 5 * step);
      set_input_level(c);
      c.clip_seen = 1;
      return true;
    }
  }
  if (block_peak > c.highest_peak.load()) {
    c.highest_peak = block_peak;
    c.input_volume = c.input_volume.load() + c.level_step.load();
    set_input_level(c);
  }
  return true;
}

bool calibrate(Calibration& c, int device, int input, const std::function<bool()>& look) {
  if (!BASS_RecordInit(device)) return false;
  c.highest_peak = 0.0f;
  c.input_volume = 0.1f;
  c.level_step = kCoarseStep;
  BASS_RecordSetInput(input, kRecordInputOn, c.input_volume.load());
  c.chosen_input = input;
  system_sound_play(kTestToneSound, true, 100);
  c.clip_seen = 0;
  if (BASS_RecordStart(44100, 2, kRecordFloat, &calibration_callback, &c) == 0) {
    system_sound_stop(kTestToneSound);
    BASS_RecordFree();
    return false;
  }

  run_phase(c, look);
  // The fine phase climbs from where the coarse one backed off. The highest peak is
  // looked for afresh: the level backed off to has given that very peak before, so
  // against a steady tone no block would ever top it and the phase would never end.
  c.level_step = kFineStep;
  c.clip_seen = 0;
  c.highest_peak = 0.0f;
  run_phase(c, look);

  system_sound_stop(kTestToneSound);
  BASS_RecordFree();
  return true;
}

}  // namespace sonvale::output
