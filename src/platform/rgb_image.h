#pragma once

#include <cstdint>
#include <vector>

namespace sonvale::platform {

// Decoded pixels: 8-bit red, green, blue per pixel, rows top to bottom, no padding.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

}  // namespace sonvale::platform
