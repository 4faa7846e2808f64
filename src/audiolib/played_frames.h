#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace sonvale::audiolib {

// What the system sound output has played, kept for the Test loop to record: the
// latest frames, oldest first, up to a few seconds of them (older ones make way).
// The output's thread pushes, the Test loop's capture thread takes; neither
// allocates.
class PlayedFrames {
 public:
  static constexpr std::size_t kCapacityFrames = std::size_t{1} << 17;  // about 3 s

  PlayedFrames() : ring_(2 * kCapacityFrames) {}

  void push(const float* stereo, std::size_t frames);
  // Moves up to `frames` of the oldest frames into `stereo`; returns how many.
  std::size_t take(float* stereo, std::size_t frames);
  void clear();

 private:
  std::mutex lock_;  // guards everything below
  std::vector<float> ring_;
  std::size_t first_ = 0;  // frame index of the oldest
  std::size_t count_ = 0;
};

// The one the system sound output feeds.
PlayedFrames& played_frames();

}  // namespace sonvale::audiolib
