#pragma once

#include <chrono>
#include <cstdint>

#include "audiolib/device_stream.h"

namespace sonvale::audiolib {

// The built-in virtual device behind "Null output": takes every rate, keeps real
// time against the steady clock and discards the sound.
class NullStream final : public DeviceStream {
 public:
  DeviceStatus open() override;
  void close() override;
  bool is_open() const override { return open_; }
  bool supports_rate(unsigned rate) override;
  DeviceStatus configure(const StreamRequest& request) override;
  const StreamSetup& setup() const override { return setup_; }
  long write(const std::byte* data, unsigned long frames) override;
  void wait(unsigned long frames, int timeout_ms) override;

 private:
  using Clock = std::chrono::steady_clock;

  // Frames the device could have taken by now: those played plus one buffer.
  std::int64_t room(Clock::time_point now) const;

  bool open_ = false;
  StreamSetup setup_;
  bool running_ = false;
  Clock::time_point start_;
  std::int64_t written_ = 0;
};

}  // namespace sonvale::audiolib
