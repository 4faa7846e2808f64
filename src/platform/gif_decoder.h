#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/rgb_image.h"

namespace sonvale::platform {

// Decodes the first frame of a GIF (87a or 89a) held in memory onto a canvas of the
// picture's logical screen size, with an alpha channel: the frame's transparent colour,
// indices its colour table lacks and the canvas outside the frame stay fully
// transparent, every other pixel is opaque. Empty for anything that is not a GIF with
// a colour table and a whole first frame, and for pictures beyond 4096 pixels on a side.
std::optional<RgbImage> decode_gif_first_frame(std::span<const std::uint8_t> data);

}  // namespace sonvale::platform
