#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include "audiolib/capture_stream.h"

namespace sonvale::audiolib {

// The level of the Test loop's one input, kept from one use of the device to the
// next as a sound card's mixer keeps its own. Written by BASS_RecordSetInput, read
// by the capture thread for every period.
struct TestLoopLevel {
  std::atomic<bool> on{true};
  // 0.0 to 1.0; the recording is what played times ten times this: 0.1 records it
  // as it played, higher levels drive it into clipping.
  std::atomic<float> volume{0.1f};
};

TestLoopLevel& test_loop_level();

// The built-in recording device that records what the system sound output plays
// (system_sound.h), scaled by its input level and clipped at full scale as a sound
// card's converter would; silence whenever nothing plays. It keeps real time against
// the steady clock, at 44,100 Hz only.
class TestLoopStream final : public CaptureStream {
 public:
  explicit TestLoopStream(TestLoopLevel& level) : level_(level) {}

  DeviceStatus open() override;
  void close() override;
  DeviceStatus configure(unsigned rate, unsigned period_frames) override;
  unsigned period_frames() const override { return period_frames_; }
  long read(float* stereo, unsigned long frames) override;
  void wait(int timeout_ms) override;

 private:
  using Clock = std::chrono::steady_clock;

  // Frames that have come due since the first read and were not read yet.
  std::int64_t due(Clock::time_point now) const;

  TestLoopLevel& level_;
  bool open_ = false;
  unsigned period_frames_ = 0;
  bool running_ = false;
  Clock::time_point start_;
  std::int64_t read_ = 0;
};

}  // namespace sonvale::audiolib
