#include "engine/capture_buffer.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace sonvale::engine {

bool append_capture(PlaybackState& state, std::byte* capture, const void* data, std::uint32_t length) {
  std::lock_guard guard(state.capture_lock);
  const std::int32_t fill = state.capture_fill.load(std::memory_order_relaxed);
  if (std::int64_t{fill} + length > kBlockBytes) return false;
  std::memcpy(capture + fill, data, length);
  state.capture_fill.store(fill + static_cast<std::int32_t>(length), std::memory_order_relaxed);
  return true;
}

std::int32_t take_capture(PlaybackState& state, std::byte* capture, std::byte* destination) {
  std::lock_guard guard(state.capture_lock);
  const std::int32_t taken = std::min(state.capture_fill.load(std::memory_order_relaxed), kBlockBytes);
  std::memcpy(destination, capture, static_cast<std::size_t>(taken));
  std::memset(capture, 0, static_cast<std::size_t>(taken));
  state.capture_fill.store(0, std::memory_order_relaxed);
  return taken;
}

}  // namespace sonvale::engine
