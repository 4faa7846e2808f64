#pragma once

#include <cstdint>

namespace sonvale::audiolib {

// Judges decoded frames whose rate differs from their stream's. In a damaged file a
// broken frame header often claims another rate; a real change lasts. So frames at
// one other rate are passed over until they have lasted a quarter of a second at
// that rate, and the stream ends there only then.
class RateGuard {
 public:
  enum class Verdict { Keep, Skip, End };

  explicit RateGuard(int rate) : rate_(rate) {}

  // `rate` 0 means unknown: taken as the stream's own.
  Verdict judge(int rate, std::int64_t frames) {
    if (rate <= 0 || rate == rate_) {
      other_frames_ = 0;
      return Verdict::Keep;
    }
    if (rate != other_rate_) {
      other_rate_ = rate;
      other_frames_ = 0;
    }
    other_frames_ += frames;
    return other_frames_ * 4 >= rate ? Verdict::End : Verdict::Skip;
  }

 private:
  int rate_;
  int other_rate_ = 0;
  std::int64_t other_frames_ = 0;  // of the latest run of frames at other_rate_
};

}  // namespace sonvale::audiolib
