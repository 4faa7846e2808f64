#include "platform/http_request.h"

#include <algorithm>
#include <cctype>

namespace sonvale::platform {
namespace {

constexpr std::string_view kScheme = "http://";

bool starts_with_scheme(std::string_view address) {
  if (address.size() < kScheme.size()) return false;
  for (std::size_t i = 0; i < kScheme.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(address[i])) != kScheme[i]) return false;
  return true;
}

bool safe_in_request(std::string_view text) {
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' || byte == 0x7F;
  });
}

bool valid_port(std::string_view port) {
  if (port.empty() || port.size() > 5) return false;
  int value = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65535;
}

}  // namespace

std::optional<HttpAddress> split_http_address(std::string_view address) {
  if (starts_with_scheme(address)) address.remove_prefix(kScheme.size());
  if (!safe_in_request(address)) return std::nullopt;
  HttpAddress split;
  const std::size_t slash = address.find('/');
  split.site = std::string(address.substr(0, slash));
  if (slash != std::string_view::npos) split.path = std::string(address.substr(slash));
  split.host = split.site;
  if (const std::size_t colon = split.site.find(':'); colon != std::string::npos) {
    split.host = split.site.substr(0, colon);
    split.port = split.site.substr(colon + 1);
    if (!valid_port(split.port)) return std::nullopt;
  }
  if (split.host.empty()) return std::nullopt;
  return split;
}

std::string counter_request(const HttpAddress& address) {
  // The path keeps its "/", so the request line's own "/" replaces it.
  const std::string_view path = address.path;
  std::string request = "GET /";
  request += path.empty() ? path : path.substr(1);
  request +=
      " HTTP/1.1\r\n"
      "Accept: image/gif\r\n"
      "Accept-Language: ja\r\n"
      "Accept-Encoding: gzip, deflate\r\n"
      "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n"
      "Host: ";
  request += address.site;
  request +=
      "\r\n"
      "Connection: Keep-Alive\r\n"
      "\r\n";
  return request;
}

}  // namespace sonvale::platform
