#pragma once

#include <sys/socket.h>

#include <string>
#include <vector>

#include "platform/cancel_signal.h"

namespace sonvale::platform {

struct SocketAddress {
  sockaddr_storage storage{};
  socklen_t length = 0;
  int family = 0;
};

// The TCP addresses of a host (a numeric address, or a name for the system's
// resolver) and a port, in the resolver's order. Waits at most timeout_ms for the
// resolver, less when `cancel` (may be null) is raised first; empty on any failure.
std::vector<SocketAddress> lookup_host(const std::string& host, const std::string& port, int timeout_ms,
                                       const CancelSignal* cancel);

}  // namespace sonvale::platform
