// The launch counter's answer as the server sends it: headers, the chunked body, the
// picture's place in it. Besides memory faults, an answer that decodes to more bytes
// than it holds, or a picture that does not start with the signature, is a fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "platform/chunked_body.h"
#include "platform/http_response.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const auto picture = sonvale::platform::counter_picture_from_response(bytes);
  constexpr std::string_view kSignature = "GIF89";
  if (picture && (picture->size() > size || picture->size() < kSignature.size() ||
                  !std::equal(kSignature.begin(), kSignature.end(), picture->begin())))
    std::abort();
  const auto body = sonvale::platform::decode_chunked_body(bytes);
  if (body && body->size() > size) std::abort();
  return 0;
}
