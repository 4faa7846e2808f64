// The skin's PNG pictures, decoded to RGB.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/png_decoder.h"
#include "platform/rgb_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto image = sonvale::platform::decode_png(std::span(data, size));
  if (image && !sonvale::platform::pixels_fit(*image)) std::abort();
  return 0;
}
