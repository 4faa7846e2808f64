#include "engine/fill_output.h"

#include <cstring>

namespace sonvale::engine {

std::int32_t fill_output(PlaybackState& state, const SampleBuffers& buffers, const std::byte* block,
                         std::int32_t bytes) {
  const int selector = state.fill_selector.load();
  if (selector != 1 && selector != 2) return 0;
  std::memcpy(buffers.bytes(selector == 1 ? Buffer::Output1 : Buffer::Output2), block, static_cast<std::size_t>(bytes));
  publish_fill(state, selector, bytes);
  return selector == 1 ? kDeviceReadsOutput2 : kDeviceReadsOutput1;
}

}  // namespace sonvale::engine
