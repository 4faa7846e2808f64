#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sonvale::platform {

// Decodes a message body in chunked transfer coding: each chunk's size line holds any
// number of hexadecimal digits, then optional extensions after ";" (ignored), then CR LF;
// the zero-size chunk ends the body and the trailer after it is not read. Every size is
// checked against the bytes at hand, so nothing is read past them.
//
// A body that stops right after a whole chunk, before the zero-size chunk came, gives
// the chunks it holds: a receiver that stops at the first pause can miss a last chunk
// the server sends on its own. Empty for any malformed size line, a size that overflows,
// a chunk larger than what follows it, or a body that holds no chunk at all.
std::optional<std::vector<std::uint8_t>> decode_chunked_body(std::span<const std::uint8_t> body);

}  // namespace sonvale::platform
