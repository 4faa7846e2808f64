#include "platform/cancel_signal.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>

namespace sonvale::platform {

CancelSignal::CancelSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void CancelSignal::raise() {
  raised_ = true;
  if (!fd_.valid()) return;
  const std::uint64_t one = 1;
  while (::write(fd_.get(), &one, sizeof one) < 0 && errno == EINTR) {
  }
}

WaitResult wait_for_fd(int fd, short events, int timeout_ms, const CancelSignal* cancel) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
  pollfd polled[2] = {{fd, events, 0}, {cancel != nullptr ? cancel->fd() : -1, POLLIN, 0}};
  for (;;) {
    if (cancel != nullptr && cancel->raised()) return WaitResult::Cancelled;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int r = poll(polled, 2, timeout_ms < 0 ? -1 : static_cast<int>(std::max<decltype(left)>(left, 0)));
    if (r < 0 && errno == EINTR) continue;
    if (cancel != nullptr && cancel->raised()) return WaitResult::Cancelled;
    if (r > 0 && (polled[0].revents & (events | POLLERR | POLLHUP | POLLNVAL)) != 0) return WaitResult::Ready;
    if (r < 0 || (timeout_ms >= 0 && Clock::now() >= deadline)) return WaitResult::TimedOut;
  }
}

}  // namespace sonvale::platform
