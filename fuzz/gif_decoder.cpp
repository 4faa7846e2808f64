// The launch counter's picture, decoded to its first frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto image = sonvale::platform::decode_gif_first_frame(std::span(data, size));
  if (image && !sonvale::platform::pixels_fit(*image)) std::abort();
  return 0;
}
