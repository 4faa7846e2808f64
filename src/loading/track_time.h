#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "loading/play_queue.h"

namespace sonvale::loading {

// What the now-playing panel shows of the track being heard.
struct TrackTime {
  std::string line1;
  std::string line2;
  std::int64_t elapsed_seconds = 0;
  std::int64_t total_seconds = 0;
  int bar_width = 0;  // of the panel's 525-pixel progress bar
  platform::Colour colour = 0;
};

inline constexpr int kProgressBarWidth = 525;

// The front record's times at `source_rate`; nothing when the queue is empty. A
// record played past its length shows as complete.
std::optional<TrackTime> track_time(const PlayQueue& queue, std::int32_t source_rate);

// Seconds as hh:mm:ss, each two digits; the hours wrap at 24.
std::string format_clock(std::int64_t seconds);

}  // namespace sonvale::loading
