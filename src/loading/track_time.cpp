#include "loading/track_time.h"

#include <algorithm>
#include <cstdio>

namespace sonvale::loading {

std::optional<TrackTime> track_time(const PlayQueue& queue, std::int32_t source_rate) {
  const std::optional<PlayRecord> front = queue.front();
  if (!front) return std::nullopt;
  const double played = static_cast<double>(std::min(front->bytes_played, front->length));
  const double length = static_cast<double>(front->length);
  const double bytes_per_second = 8.0 * source_rate;
  TrackTime t{front->line1, front->line2, 0, 0, 0, front->colour};
  if (bytes_per_second > 0) {
    t.elapsed_seconds = static_cast<std::int64_t>(played / bytes_per_second);
    t.total_seconds = static_cast<std::int64_t>(length / bytes_per_second);
  }
  if (length > 0) t.bar_width = static_cast<int>(played / length * kProgressBarWidth);
  return t;
}

std::string format_clock(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600 % 24),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}

}  // namespace sonvale::loading
