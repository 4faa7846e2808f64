#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/rgb_image.h"

namespace sonvale::platform {

// Decodes a PNG held in memory into 8-bit RGB: palettes and grey are expanded,
// 16-bit samples reduced, an alpha channel dropped. Empty for anything that is not
// a whole, valid PNG, and for images beyond 8192 pixels on a side.
std::optional<RgbImage> decode_png(std::span<const std::uint8_t> data);

}  // namespace sonvale::platform
