#include "audiolib/played_frames.h"

#include <algorithm>
#include <cstring>

namespace sonvale::audiolib {

void PlayedFrames::push(const float* stereo, std::size_t frames) {
  std::lock_guard guard(lock_);
  if (frames > kCapacityFrames) {
    stereo += 2 * (frames - kCapacityFrames);
    frames = kCapacityFrames;
  }
  const std::size_t overflow = count_ + frames > kCapacityFrames ? count_ + frames - kCapacityFrames : 0;
  first_ = (first_ + overflow) % kCapacityFrames;
  count_ -= overflow;
  std::size_t at = (first_ + count_) % kCapacityFrames;
  for (std::size_t left = frames; left > 0;) {
    const std::size_t run = std::min(left, kCapacityFrames - at);
    std::memcpy(ring_.data() + 2 * at, stereo, run * 2 * sizeof(float));
    stereo += 2 * run;
    left -= run;
    at = (at + run) % kCapacityFrames;
  }
  count_ += frames;
}

std::size_t PlayedFrames::take(float* stereo, std::size_t frames) {
  std::lock_guard guard(lock_);
  const std::size_t taken = std::min(frames, count_);
  for (std::size_t left = taken; left > 0;) {
    const std::size_t run = std::min(left, kCapacityFrames - first_);
    std::memcpy(stereo, ring_.data() + 2 * first_, run * 2 * sizeof(float));
    stereo += 2 * run;
    left -= run;
    first_ = (first_ + run) % kCapacityFrames;
  }
  count_ -= taken;
  return taken;
}

void PlayedFrames::clear() {
  std::lock_guard guard(lock_);
  first_ = 0;
  count_ = 0;
}

PlayedFrames& played_frames() {
  static PlayedFrames instance;
  return instance;
}

}  // namespace sonvale::audiolib
