#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonvale::platform {

// An http:// address taken apart.
struct HttpAddress {
  std::string site;  // as written: the host, or host:port
  std::string host;
  std::string port = "80";
  std::string path;  // from its "/" on; empty when the address has none
};

// Splits an address; "http://" is put in front when it does not begin with it (in any
// case). Empty when there is no host, when the port is not a number from 1 to 65535,
// or when the address holds a space or a control character, which would break the
// request's lines.
std::optional<HttpAddress> split_http_address(std::string_view address);

// The GET request the counter's server answers with its picture, byte for byte.
std::string counter_request(const HttpAddress& address);

}  // namespace sonvale::platform
