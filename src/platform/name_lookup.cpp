#include "platform/name_lookup.h"

#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace sonvale::platform {
namespace {

std::vector<SocketAddress> resolve(const std::string& host, const std::string& port, int flags) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = flags | AI_NUMERICSERV;
  addrinfo* list = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0) return {};
  std::vector<SocketAddress> found;
  for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
    if (a->ai_addrlen > sizeof(sockaddr_storage)) continue;
    SocketAddress address;
    std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
    address.length = a->ai_addrlen;
    address.family = a->ai_family;
    found.push_back(address);
  }
  freeaddrinfo(list);
  return found;
}

// What a resolver thread hands back. The thread holds it as long as it runs, so a
// lookup given up on may finish later without touching anything freed.
struct PendingLookup {
  std::mutex mutex;
  std::vector<SocketAddress> found;  // written by the resolver thread, under the mutex
  UniqueFd done{eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};  // readable once `found` is final
};

}  // namespace

std::vector<SocketAddress> lookup_host(const std::string& host, const std::string& port, int timeout_ms,
                                       const CancelSignal* cancel) {
  if (host.empty()) return {};
  if (std::vector<SocketAddress> numeric = resolve(host, port, AI_NUMERICHOST); !numeric.empty()) return numeric;

  // The system's resolver cannot be interrupted or given a time-out of its own, so it
  // runs on a thread of its own, left to end by itself when the wait gives up.
  auto pending = std::make_shared<PendingLookup>();
  if (!pending->done.valid()) return {};
  try {
    std::thread([pending, host, port] {
      std::vector<SocketAddress> found = resolve(host, port, 0);
      {
        std::lock_guard lock(pending->mutex);
        pending->found = std::move(found);
      }
      const std::uint64_t one = 1;
      while (::write(pending->done.get(), &one, sizeof one) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    return {};
  }
  if (wait_for_fd(pending->done.get(), POLLIN, timeout_ms, cancel) != WaitResult::Ready) return {};
  std::lock_guard lock(pending->mutex);
  return std::move(pending->found);
}

}  // namespace sonvale::platform
