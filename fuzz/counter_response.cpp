// The launch counter's answer as the server sends it: headers, the chunked body, the
// picture's place in it.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/chunked_body.h"
#include "platform/http_response.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  sonvale::platform::counter_picture_from_response(bytes);
  sonvale::platform::decode_chunked_body(bytes);
  return 0;
}
