#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/cancel_signal.h"

namespace sonvale::platform {

// Responses longer than this are not the counter's picture, and are not kept.
inline constexpr std::size_t kMostResponseBytes = 1u << 20;

// Fetches the counter's picture from an http:// address ("http://" may be left out;
// host:port picks a port other than 80) with one GET over a TCP connection, and
// returns the GIF from the chunked answer (see counter_picture_from_response).
//
// Name lookup, connecting and sending each wait at most timeout_ms. The answer is
// taken in pieces of buffer_size bytes (4,096 for 0 or less) until a round that
// received data finds nothing more waiting, the server closes, or timeout_ms pass
// with nothing arriving. Empty on any failure, for an answer beyond
// kMostResponseBytes, and at once when `cancel` (may be null) is raised.
std::optional<std::vector<std::uint8_t>> http_fetch(std::string_view address, int buffer_size, int timeout_ms,
                                                    const CancelSignal* cancel = nullptr);

}  // namespace sonvale::platform
