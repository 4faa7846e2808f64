#include "engine/playback_state.h"

namespace sonvale::engine {

void publish_fill(PlaybackState& state, int which, std::int32_t length) {
  OutputHandover& buffer = state.output_buffer(which);
  buffer.fill_length.store(length, std::memory_order_release);
  buffer.read_position.store(0, std::memory_order_release);
  state.first_fill_count.store(length, std::memory_order_release);
}

void empty_output_buffers(PlaybackState& state) {
  for (OutputHandover& buffer : state.output) {
    buffer.fill_length.store(0, std::memory_order_release);
    buffer.read_position.store(kNothingPublished, std::memory_order_release);
  }
}

}  // namespace sonvale::engine
