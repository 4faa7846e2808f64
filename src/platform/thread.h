#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace sonvale::platform {

// Thread priorities on a 1 to 32 scale: 1 lowest, 2 to 15 below normal, 16 normal,
// 17 to 30 above normal, 31 highest, 32 time critical.
inline constexpr int kPriorityLowest = 1;
inline constexpr int kPriorityBelowNormal = 15;
inline constexpr int kPriorityNormal = 16;
inline constexpr int kPriorityAboveNormal = 20;
inline constexpr int kPriorityHighest = 31;

// The per-thread nice value that stands for a priority of the 1 to 32 scale.
int nice_for_priority(int priority);

// A thread started with a parameter and a priority. Its owner polls is_running()
// to wait for it, as the playback code does, or calls wait(). Destroying a Thread
// waits for it, unless it was let go with detach().
class Thread {
 public:
  using Procedure = std::function<int(std::intptr_t parameter)>;

  Thread() = default;
  Thread(Thread&&) noexcept = default;
  Thread& operator=(Thread&& other) noexcept;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  ~Thread();

  // False when the thread cannot be created (or one is still owned).
  bool start(Procedure procedure, std::intptr_t parameter, int priority);

  bool is_running() const;
  // Waits at most `timeout_ms` for the procedure to return; true once it has, or
  // when no thread was started. Lets a poller see the end at once, not a tick later.
  bool wait_ended(int timeout_ms) const;
  // Best effort: raising a priority needs rights that an ordinary user may lack.
  void set_priority(int priority);
  // The procedure's result once it has returned.
  int exit_code() const;
  void wait();
  // Gives up the thread: it runs on unowned and is never waited for.
  void detach();

 private:
  struct Shared;
  std::thread thread_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace sonvale::platform
