#pragma once

#include <atomic>

#include "platform/unique_fd.h"

namespace sonvale::platform {

// A flag one thread raises to end another thread's waits. Once raised, its descriptor
// stays readable, so a thread waiting in poll() on its sockets wakes at once.
class CancelSignal {
 public:
  CancelSignal();

  void raise();
  bool raised() const { return raised_.load(); }
  int fd() const { return fd_.get(); }

 private:
  UniqueFd fd_;  // an eventfd; without one, waits end only by their time-out
  std::atomic<bool> raised_{false};
};

enum class WaitResult { Ready, TimedOut, Cancelled };

// Waits at most timeout_ms (0: only asks; negative: no limit) until `fd` has one of
// `events`; an error or a hang-up on it counts as ready, so the next read or write
// reports it. A raised `cancel` (may be null) ends the wait at once.
WaitResult wait_for_fd(int fd, short events, int timeout_ms, const CancelSignal* cancel);

}  // namespace sonvale::platform
