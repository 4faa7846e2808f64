#include "audiolib/test_loop.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include "audiolib/played_frames.h"
#include "audiolib/system_sound.h"

namespace sonvale::audiolib {
namespace {

// The input level that records the played sound as it is.
constexpr float kGainPerVolume = 10.0f;

}  // namespace

TestLoopLevel& test_loop_level() {
  static TestLoopLevel level;
  return level;
}

DeviceStatus TestLoopStream::open() {
  open_ = true;
  running_ = false;
  return DeviceStatus::fine();
}

void TestLoopStream::close() {
  open_ = false;
  running_ = false;
}

DeviceStatus TestLoopStream::configure(unsigned rate, unsigned period_frames) {
  if (!open_) return DeviceStatus::failure(-EBADFD, "Test loop: not open");
  if (rate != kSystemSoundRate)
    return DeviceStatus::failure(-EINVAL, "Test loop: records at " + std::to_string(kSystemSoundRate) + " Hz only");
  period_frames_ = std::max(1u, period_frames);
  running_ = false;
  read_ = 0;
  return DeviceStatus::fine();
}

std::int64_t TestLoopStream::due(Clock::time_point now) const {
  const double seconds = std::chrono::duration<double>(now - start_).count();
  return static_cast<std::int64_t>(seconds * kSystemSoundRate) - read_;
}

long TestLoopStream::read(float* stereo, unsigned long frames) {
  if (!open_ || period_frames_ == 0) return -EBADFD;
  const Clock::time_point now = Clock::now();
  if (!running_) {
    running_ = true;
    start_ = now;
  }
  const auto count = static_cast<std::size_t>(
      std::clamp<std::int64_t>(due(now), 0, std::min<unsigned long>(frames, period_frames_)));
  if (count == 0) return 0;
  const std::size_t played = played_frames().take(stereo, count);
  std::fill(stereo + 2 * played, stereo + 2 * count, 0.0f);
  const float gain = level_.on.load() ? level_.volume.load() * kGainPerVolume : 0.0f;
  for (std::size_t i = 0; i < 2 * count; ++i) stereo[i] = std::clamp(stereo[i] * gain, -1.0f, 1.0f);
  read_ += static_cast<std::int64_t>(count);
  return static_cast<long>(count);
}

void TestLoopStream::wait(int timeout_ms) {
  if (!running_) return;
  const std::int64_t missing = static_cast<std::int64_t>(period_frames_) - due(Clock::now());
  if (missing <= 0) return;
  const auto until_due = std::chrono::duration<double>(static_cast<double>(missing) / kSystemSoundRate);
  std::this_thread::sleep_for(
      std::min<std::chrono::duration<double>>(until_due, std::chrono::milliseconds(timeout_ms)));
}

}  // namespace sonvale::audiolib
