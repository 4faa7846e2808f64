#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace sonvale::output {

// The input level calibration of the input mode ("Adjust"): the test tone loops
// through the system sound output while the chosen input records, and the
// calibration callback raises the input's level at every new highest block peak
// until the recording clips, then backs off. A coarse phase in steps of 0.1, then a
// fine one in steps of 0.01 (backing off five steps at a clip).

inline constexpr int kTestToneSound = 0;
inline constexpr float kCoarseStep = 0.1f;
inline constexpr float kFineStep = 0.01f;
// A sample this loud that does not top the block's peak so far counts as clipping.
inline constexpr float kClipLevel = 0.98f;

// Shared between the mode's loop (main thread) and the calibration callback (the
// recording's capture thread). The loop sets the level step and clears the clip flag
// and the highest peak between the phases and otherwise only reads; the callback
// writes the input volume, the highest peak and the clip flag.
struct Calibration {
  // The level given to the input; 0.1 when a calibration starts. It outlives the
  // calibration: PLAY records at it.
  std::atomic<float> input_volume{0.0f};
  std::atomic<float> level_step{kCoarseStep};
  std::atomic<float> highest_peak{0.0f};
  std::atomic<std::int8_t> clip_seen{0};
  std::atomic<int> chosen_input{0};
};

// Loads the built-in test tone as sound 0 of the system sound output, and frees it.
bool load_test_tone();
void free_test_tone();

// The calibration callback (the recording callback's form; `user` is the
// Calibration). Looks at the block's samples in order: one louder than the block's
// peak so far becomes the peak, unless it is exactly full scale; otherwise a sample
// of kClipLevel or more is a clip: the level goes down a step (five in the fine
// phase), the clip flag is set and the rest of the block is not looked at. A block
// without a clip whose peak tops the highest so far raises the level a step.
bool calibration_callback(std::uint32_t handle, const void* buffer, std::uint32_t length, void* user);

// Adjust with `device` and its input `input`: starts the recording with the level at
// 0.1 and the test tone looping, runs the coarse phase, then the fine phase, each
// until the callback has seen a clip or `look` says to stop, and ends with the tone
// stopped and the device let go. `look` is called about every 100 ms of each phase:
// it waits, takes what the user does meanwhile, and returns false to end the phase.
// False, with nothing left running, when the device does not record.
bool calibrate(Calibration& calibration, int device, int input, const std::function<bool()>& look);

}  // namespace sonvale::output
