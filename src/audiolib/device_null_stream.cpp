#include "audiolib/device_null_stream.h"

#include <algorithm>
#include <cerrno>
#include <thread>

namespace sonvale::audiolib {

DeviceStatus NullStream::open() {
  open_ = true;
  running_ = false;
  return DeviceStatus::fine();
}

void NullStream::close() {
  open_ = false;
  running_ = false;
}

bool NullStream::supports_rate(unsigned rate) { return rate >= 1 && rate <= kHighestVirtualRate; }

DeviceStatus NullStream::configure(const StreamRequest& request) {
  if (!open_) return DeviceStatus::failure(-EBADFD, "Null output: not open");
  if (!supports_rate(request.rate))
    return DeviceStatus::failure(-EINVAL, "Null output: rate out of range");
  setup_.rate = request.rate;
  setup_.format = DeviceFormat::Float32;
  setup_.channels = 2;
  // Like a sound card: 25 ms periods unless asked, at least four to the buffer.
  setup_.period_frames =
      request.period_frames != 0 ? request.period_frames : std::max(1u, request.rate / 40);
  setup_.buffer_frames = std::max(request.buffer_frames, 4 * setup_.period_frames);
  running_ = false;
  written_ = 0;
  return DeviceStatus::fine();
}

std::int64_t NullStream::room(Clock::time_point now) const {
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const auto played = static_cast<std::int64_t>(seconds * setup_.rate);
  return played + setup_.buffer_frames - written_;
}

long NullStream::write(const std::byte*, unsigned long frames) {
  if (!open_) return -EBADFD;
  const Clock::time_point now = Clock::now();
  if (!running_) {
    running_ = true;
    start_ = now;
  }
  const auto taken =
      static_cast<long>(std::clamp<std::int64_t>(room(now), 0, static_cast<std::int64_t>(frames)));
  written_ += taken;
  return taken;
}

void NullStream::wait(unsigned long frames, int timeout_ms) {
  const std::int64_t missing = static_cast<std::int64_t>(frames) - room(Clock::now());
  if (!running_ || missing <= 0) return;
  const auto until_room = std::chrono::duration<double>(static_cast<double>(missing) / setup_.rate);
  std::this_thread::sleep_for(
      std::min<std::chrono::duration<double>>(until_room, std::chrono::milliseconds(timeout_ms)));
}

}  // namespace sonvale::audiolib
