#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace sonvale::audiolib {

// The feed callback as the output paths hand it on: fills `buffer` with up to `bytes`
// bytes of interleaved stereo float frames and returns how many it wrote. What it
// leaves unwritten of a device period plays as silence.
using Feed = std::function<std::uint32_t(void* buffer, std::uint32_t bytes)>;

// Pause, channel enable and volume of an output. The output path changes them from
// its caller's thread at any time; the driver thread reads them once per period.
struct FeedControls {
  // Held by the driver thread while it decides whether to call the feed and calls
  // it. Taking it after a change waits out a call in progress, so that none is made
  // afterwards against the old setting.
  std::mutex feeding;
  // True while the channel is paused: the device keeps running on silence.
  std::atomic<bool> paused{false};
  // False while no callback is enabled: silence as well.
  std::atomic<bool> enabled{false};
  // Linear gain; exactly 1.0 leaves the samples untouched.
  std::atomic<float> gain{1.0f};

  // Returns once no feed call is in progress.
  void settle() { std::lock_guard<std::mutex> wait_for_call(feeding); }
};

}  // namespace sonvale::audiolib
