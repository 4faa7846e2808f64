#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/playback_state.h"
#include "engine/sample_buffers.h"

namespace sonvale::engine {

// Hands a finished block to the device callback: copies its `bytes` bytes into the
// output buffer that the fill selector names, then publishes that buffer. Returns the
// active-output value during which the engine must not fill again (the device still
// reads the buffer just filled): 5 after output buffer 1, 10 after output buffer 2.
// A fill selector naming neither copies nothing and returns 0.
std::int32_t fill_output(PlaybackState& state, const SampleBuffers& buffers, const std::byte* block,
                         std::int32_t bytes);

}  // namespace sonvale::engine
