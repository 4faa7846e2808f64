#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sonvale::platform {

// The counter's picture in a whole HTTP response: the body, which must come in
// chunked transfer coding and without a content coding (the picture is not
// compressed), from the first "GIF89" before the body's first zero byte to its end.
// Empty when the response is anything else.
std::optional<std::vector<std::uint8_t>> counter_picture_from_response(std::span<const std::uint8_t> response);

}  // namespace sonvale::platform
