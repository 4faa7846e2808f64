#pragma once

#include <cstdint>
#include <functional>

#include "engine/engine_context.h"
#include "engine/sample_buffers.h"

namespace sonvale::engine {

// The decoding calls the engine reads tracks with (the player's decoding library),
// and the next-track walk it calls when a track's data runs out.
struct TrackSource {
  std::int64_t (*get_length)(std::uint32_t stream) = nullptr;    // bytes of the whole stream
  std::int64_t (*get_position)(std::uint32_t stream) = nullptr;  // bytes delivered so far
  // Up to `bytes` of stereo float frames; the full count whenever the stream holds
  // that much; 0 or -1 at its end or on failure.
  std::int32_t (*get_data)(std::uint32_t stream, void* buffer, std::uint32_t bytes) = nullptr;
  int (*error_code)() = nullptr;  // of the calling thread's last call; 45 = ended
  // Afterwards the current decoder of the playback state is the next track's stream,
  // or 0 when the playlist has run out.
  std::function<void()> next_track;
};

inline constexpr int kStreamEnded = 45;

// Turns the decoded tracks into output blocks and hands them to the device callback
// through the two output buffers, until the playlist runs out (engine run state 2),
// the decoder fails (2), or the stop request is set. The first two blocks are made
// back to back; every later one waits until the device has moved on to the buffer
// the engine is not about to fill. After a full block the next frames of the stream
// are read ahead as well, so that the output does not depend on where a block ends.
int run_engine_thread(EngineContext& context, const SampleBuffers& buffers, TrackSource& source);

}  // namespace sonvale::engine
