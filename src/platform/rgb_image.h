#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonvale::platform {

// Decoded pixels: 8-bit red, green, blue per pixel, rows top to bottom, no padding.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  // One opacity per pixel in the same order, 0 transparent to 255 opaque, not
  // premultiplied; empty when every pixel is opaque.
  std::vector<std::uint8_t> alpha;
};

// True when the sizes and the pixel data agree.
inline bool pixels_fit(const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0) return false;
  const std::size_t pixels = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  return image.rgb.size() == pixels * 3 && (image.alpha.empty() || image.alpha.size() == pixels);
}

}  // namespace sonvale::platform
