#include "platform/chunked_body.h"

#include <cstddef>
#include <limits>

namespace sonvale::platform {
namespace {

int hex_value(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a chunk-size line at `at`, leaving `at` on the chunk's first byte. Empty when the
// line is malformed, overflows, or does not end with CR LF within the body.
std::optional<std::size_t> read_size_line(std::span<const std::uint8_t> body, std::size_t& at) {
  std::size_t size = 0;
  std::size_t digits = 0;
  for (; at < body.size() && hex_value(body[at]) >= 0; ++at, ++digits) {
    if (size > (std::numeric_limits<std::size_t>::max() >> 4)) return std::nullopt;
    size = (size << 4) | static_cast<std::size_t>(hex_value(body[at]));
  }
  if (digits == 0 || at >= body.size()) return std::nullopt;
  // Blanks may stand before an extension; an extension runs to the line's end.
  const std::uint8_t after = body[at];
  if (after != '\r' && after != ';' && after != ' ' && after != '\t') return std::nullopt;
  for (; at < body.size() && body[at] != '\r'; ++at) {
    if (body[at] == '\n') return std::nullopt;
  }
  if (body.size() - at < 2 || body[at + 1] != '\n') return std::nullopt;
  at += 2;
  return size;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> decode_chunked_body(std::span<const std::uint8_t> body) {
  std::vector<std::uint8_t> decoded;
  std::size_t at = 0;
  bool any_chunk = false;
  while (at < body.size()) {
    const std::optional<std::size_t> size = read_size_line(body, at);
    if (!size) return std::nullopt;
    if (*size == 0) return decoded;
    if (*size > body.size() - at) return std::nullopt;
    decoded.insert(decoded.end(), body.begin() + static_cast<std::ptrdiff_t>(at),
                   body.begin() + static_cast<std::ptrdiff_t>(at + *size));
    at += *size;
    any_chunk = true;
    if (at == body.size()) break;
    if (body.size() - at < 2 || body[at] != '\r' || body[at + 1] != '\n') return std::nullopt;
    at += 2;
  }
  if (!any_chunk) return std::nullopt;
  return decoded;
}

}  // namespace sonvale::platform
