#include "platform/http_response.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/chunked_body.h"

namespace sonvale::platform {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kGifSignature = "GIF89";

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool same_text(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// What the header lines say about how the body is coded.
struct BodyCoding {
  bool chunked = false;     // "chunked" is the last transfer coding
  bool other_transfer_coding = false;
  bool compressed = false;  // a content coding other than "identity"
};

// Calls `each` with every element of a comma-separated header value.
template <typename Each>
void for_each_element(std::string_view value, Each each) {
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    const std::string_view element = trim(value.substr(0, comma));
    if (!element.empty()) each(element);
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
}

BodyCoding read_body_coding(std::string_view headers) {
  BodyCoding coding;
  // The status line comes first and is not a header.
  std::size_t line_start = headers.find("\r\n");
  while (line_start != std::string_view::npos) {
    line_start += 2;
    const std::size_t line_end = headers.find("\r\n", line_start);
    const std::string_view line = headers.substr(line_start, line_end - line_start);
    line_start = line_end;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = trim(line.substr(0, colon));
    const std::string_view value = line.substr(colon + 1);
    if (same_text(name, "Transfer-Encoding")) {
      for_each_element(value, [&](std::string_view element) {
        // A coding after "chunked" would leave the message's end unknown.
        if (coding.chunked) coding.other_transfer_coding = true;
        coding.chunked = same_text(element, "chunked");
        if (!coding.chunked) coding.other_transfer_coding = true;
      });
    } else if (same_text(name, "Content-Encoding")) {
      for_each_element(value, [&](std::string_view element) {
        if (!same_text(element, "identity")) coding.compressed = true;
      });
    }
  }
  return coding;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> counter_picture_from_response(std::span<const std::uint8_t> response) {
  const std::string_view text(reinterpret_cast<const char*>(response.data()), response.size());
  const std::size_t header_end = text.find(kHeaderEnd);
  if (header_end == std::string_view::npos) return std::nullopt;
  const BodyCoding coding = read_body_coding(text.substr(0, header_end + 2));
  if (!coding.chunked || coding.other_transfer_coding || coding.compressed) return std::nullopt;

  std::optional<std::vector<std::uint8_t>> body = decode_chunked_body(response.subspan(header_end + kHeaderEnd.size()));
  if (!body) return std::nullopt;
  const std::string_view decoded(reinterpret_cast<const char*>(body->data()), body->size());
  const std::size_t signature = decoded.substr(0, decoded.find('\0')).find(kGifSignature);
  if (signature == std::string_view::npos) return std::nullopt;
  body->erase(body->begin(), body->begin() + static_cast<std::ptrdiff_t>(signature));
  return body;
}

}  // namespace sonvale::platform
