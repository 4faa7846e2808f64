#include "platform/http_fetch.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <new>
#include <span>
#include <string>

#include "platform/http_request.h"
#include "platform/http_response.h"
#include "platform/name_lookup.h"
#include "platform/unique_fd.h"

namespace sonvale::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultBufferSize = 4096;

int ms_until(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::max<decltype(left)>(left, 0));
}

// The first of the host's addresses that accepts a connection; the socket is left
// non-blocking.
UniqueFd connect_to(const HttpAddress& target, int timeout_ms, const CancelSignal* cancel) {
  const std::vector<SocketAddress> addresses = lookup_host(target.host, target.port, timeout_ms, cancel);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (const SocketAddress& address : addresses) {
    UniqueFd fd(socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid()) continue;
    if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0) return fd;
    if (errno != EINPROGRESS) continue;
    const WaitResult waited = wait_for_fd(fd.get(), POLLOUT, ms_until(deadline), cancel);
    if (waited != WaitResult::Ready) return UniqueFd();
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) return fd;
  }
  return UniqueFd();
}

bool send_all(int fd, std::string_view bytes, int timeout_ms, const CancelSignal* cancel) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!bytes.empty()) {
    const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (wait_for_fd(fd, POLLOUT, ms_until(deadline), cancel) != WaitResult::Ready) return false;
    } else {
      return false;
    }
  }
  return true;
}

// What one round of receiving ended with. Ended: the server closed the connection or
// it broke, so nothing more will come.
enum class Drained { Data, Nothing, Ended, TooLong };

// Receives everything waiting, piece by piece, onto the response.
Drained drain(int fd, std::span<std::uint8_t> buffer, std::vector<std::uint8_t>& response) {
  bool took = false;
  for (;;) {
    const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
    if (n > 0) {
      if (static_cast<std::size_t>(n) > kMostResponseBytes - response.size()) return Drained::TooLong;
      response.insert(response.end(), buffer.begin(), buffer.begin() + n);
      took = true;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return took ? Drained::Data : Drained::Nothing;
    } else {
      return Drained::Ended;
    }
  }
}

// Waits for the answer in poll() rather than asking round after round, so a silent
// server costs no processor time; the rounds end as the answer's own pauses say.
std::optional<std::vector<std::uint8_t>> receive(int fd, std::span<std::uint8_t> buffer, int timeout_ms,
                                                 const CancelSignal* cancel) {
  std::vector<std::uint8_t> response;
  Clock::time_point last_piece = Clock::now();
  bool took_data = false;
  for (;;) {
    // After a round that took data, only ask: nothing waiting ends the answer.
    const int wait_ms = took_data ? 0 : ms_until(last_piece + std::chrono::milliseconds(timeout_ms));
    const WaitResult waited = wait_for_fd(fd, POLLIN, wait_ms, cancel);
    if (waited == WaitResult::Cancelled) return std::nullopt;
    if (waited == WaitResult::TimedOut) return response;
    switch (drain(fd, buffer, response)) {
      case Drained::Data:
        took_data = true;
        last_piece = Clock::now();
        break;
      case Drained::Nothing:
        took_data = false;
        break;
      case Drained::Ended:
        return response;
      case Drained::TooLong:
        return std::nullopt;
    }
  }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> http_fetch(std::string_view address, int buffer_size, int timeout_ms,
                                                    const CancelSignal* cancel) {
  const std::optional<HttpAddress> target = split_http_address(address);
  if (!target) return std::nullopt;
  const UniqueFd socket = connect_to(*target, timeout_ms, cancel);
  if (!socket.valid()) return std::nullopt;

  std::vector<std::uint8_t> buffer;
  try {
    buffer.resize(std::min<std::size_t>(buffer_size > 0 ? static_cast<std::size_t>(buffer_size) : kDefaultBufferSize,
                                        kMostResponseBytes));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (!send_all(socket.get(), counter_request(*target), timeout_ms, cancel)) return std::nullopt;
  const std::optional<std::vector<std::uint8_t>> response = receive(socket.get(), buffer, timeout_ms, cancel);
  if (!response) return std::nullopt;
  return counter_picture_from_response(*response);
}

}  // namespace sonvale::platform
