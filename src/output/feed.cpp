#include "output/feed.h"

#include <algorithm>
#include <cstring>

namespace sonvale::output {
namespace {

using engine::Buffer;
using engine::OutputHandover;

constexpr auto kAcquire = std::memory_order_acquire;
constexpr auto kRelease = std::memory_order_release;

struct OutputSide {
  OutputHandover& handover;
  const std::byte* samples;
  std::int32_t active_value;  // the active-output value while the device reads it
};

OutputSide side(Feed& feed, int which) {
  return {feed.playback.output_buffer(which),
          feed.buffers.bytes(which == 1 ? Buffer::Output1 : Buffer::Output2),
          which == 1 ? engine::kDeviceReadsOutput1 : engine::kDeviceReadsOutput2};
}

// Serves up to `length` bytes of `from` beyond its read position. A buffer that
// cannot fill the request is given out whole and marked drained (its fill length
// lowered to its read position); `drained` tells which happened. An empty buffer
// gives nothing and is left as it is.
std::uint32_t take(OutputSide& from, std::byte* out, std::uint32_t length, bool& drained) {
  const std::int32_t fill = from.handover.fill_length.load(kAcquire);
  const std::int32_t read = from.handover.read_position.load(kAcquire);
  drained = true;
  if (read < 0) return 0;
  const std::int64_t left = std::max<std::int64_t>(fill - read, 0);
  drained = left <= static_cast<std::int64_t>(length);
  if (!drained) {
    std::memcpy(out, from.samples + read, length);
    from.handover.read_position.store(read + static_cast<std::int32_t>(length), kRelease);
    return length;
  }
  std::memcpy(out, from.samples + read, static_cast<std::size_t>(left));
  from.handover.fill_length.store(read, kRelease);
  return static_cast<std::uint32_t>(left);
}

// Filled by the engine and not yet read: never an empty buffer, whose fill length
// the engine may be publishing at this moment.
bool is_ready(const OutputSide& s) { return s.handover.read_position.load(kAcquire) == 0; }

}  // namespace

std::uint32_t feed_device(Feed& feed, void* out_bytes, std::uint32_t length) {
  auto* out = static_cast<std::byte*>(out_bytes);
  const bool reads_first =
      feed.playback.active_output.load(kAcquire) != engine::kDeviceReadsOutput2;
  OutputSide active = side(feed, reads_first ? 1 : 2);
  OutputSide other = side(feed, reads_first ? 2 : 1);

  std::uint32_t served = 0;
  bool drained = false;
  const std::int32_t active_read = active.handover.read_position.load(kAcquire);
  const bool has_bytes = active_read >= 0 && active_read < active.handover.fill_length.load(kAcquire);
  if (has_bytes) {
    served = take(active, out, length, drained);
    // The active buffer ran out: go on in the other one if the engine has refilled
    // it, even when nothing of the request is left for it.
    if (drained && is_ready(other)) {
      const std::int32_t fill = other.handover.fill_length.load(kAcquire);
      const std::uint32_t n = std::min<std::uint32_t>(length - served, static_cast<std::uint32_t>(std::max(fill, 0)));
      std::memcpy(out + served, other.samples, n);
      other.handover.read_position.store(static_cast<std::int32_t>(n), kRelease);
      feed.playback.active_output.store(other.active_value, kRelease);
      served += n;
    }
  } else if (is_ready(other)) {
    feed.playback.active_output.store(other.active_value, kRelease);
    served = take(other, out, length, drained);
  }

  const std::int8_t multiplier = feed.playback.rate_multiplier.load(std::memory_order_relaxed);
  feed.queue.advance(feed.count_delivered ? served : length, multiplier);
  feed.delivered.fetch_add(served, std::memory_order_relaxed);
  return served;
}

std::uint32_t asio_feed_callback(bool, std::uint32_t, void* buffer, std::uint32_t length, void* user) {
  return feed_device(*static_cast<Feed*>(user), buffer, length);
}

std::uint32_t wasapi_feed_callback(void* buffer, std::uint32_t length, void* user) {
  return feed_device(*static_cast<Feed*>(user), buffer, length);
}

}  // namespace sonvale::output
