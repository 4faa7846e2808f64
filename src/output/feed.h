#pragma once

#include <atomic>
#include <cstdint>

#include "engine/playback_state.h"
#include "engine/sample_buffers.h"
#include "loading/play_queue.h"

namespace sonvale::output {

// What the device feed callback reads and moves on: the two output buffers with
// their hand-over, and the play queue.
struct Feed {
  engine::SampleBuffers& buffers;
  engine::PlaybackState& playback;
  loading::PlayQueue& queue;
  // The play queue follows the device's clock, which runs on whether or not there
  // were samples to give it. A device that takes only what it is given (the render
  // driver) counts the bytes delivered instead.
  bool count_delivered = false;
  // Bytes handed to the device since the program started, for reports.
  std::atomic<std::int64_t> delivered{0};
};

// Copies up to `length` bytes of output into `out`, switching to the other output
// buffer when the active one runs out and the engine has refilled the other; returns
// the bytes written. Runs on the device's thread: no allocation, no waiting, only
// the play queue's lock.
std::uint32_t feed_device(Feed& feed, void* out, std::uint32_t length);

// The same, in the two output paths' callback forms; `user` is the Feed.
std::uint32_t asio_feed_callback(bool input, std::uint32_t channel, void* buffer,
                                 std::uint32_t length, void* user);
std::uint32_t wasapi_feed_callback(void* buffer, std::uint32_t length, void* user);

}  // namespace sonvale::output
