#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/playback_state.h"
#include "engine/sample_format.h"

namespace sonvale::engine {

// The capture buffer between the recording's capture callback and the live engine:
// one block of captured frames at most. Appending and taking hold the capture lock
// for the whole of each step, so that no block is lost or taken twice.

// The live engine takes the captured frames once they fill 95 % of a block.
inline constexpr std::int32_t kTakeThreshold = 23'907'532;
// The capture fill bar runs from 0 to this.
inline constexpr int kCaptureBarRange = 630;

// Copies `length` bytes behind what the buffer holds and raises the fill; a block
// that would take the fill past one block is dropped whole (false).
bool append_capture(PlaybackState& state, std::byte* capture, const void* data, std::uint32_t length);

// Moves everything the buffer holds (one block at most) to `destination`, zeroes
// what it moved and empties the buffer; returns the bytes taken.
std::int32_t take_capture(PlaybackState& state, std::byte* capture, std::byte* destination);

// The capture fill bar's value for a fill: its share of a block, truncated.
constexpr int capture_bar_value(std::int32_t fill) {
  return static_cast<int>(std::int64_t{fill} * kCaptureBarRange / kBlockBytes);
}
static_assert(capture_bar_value(kTakeThreshold - 8) == 598);

}  // namespace sonvale::engine
