#include "platform/thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

namespace sonvale::platform {

struct Thread::Shared {
  std::atomic<bool> running{true};
  std::atomic<int> exit_code{0};
  std::atomic<pid_t> tid{0};
  std::atomic<int> priority{kPriorityNormal};
  std::mutex lock;
  std::condition_variable ended;
};

namespace {

void apply_priority(pid_t tid, int priority) {
  if (tid != 0) setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice_for_priority(priority));
}

}  // namespace

int nice_for_priority(int priority) {
  if (priority <= kPriorityLowest) return 19;
  if (priority >= 32) return -20;
  return std::clamp(kPriorityNormal - priority, -15, 19);
}

Thread& Thread::operator=(Thread&& other) noexcept {
  if (this != &other) {
    if (thread_.joinable()) thread_.join();
    thread_ = std::move(other.thread_);
    shared_ = std::move(other.shared_);
  }
  return *this;
}

Thread::~Thread() {
  if (thread_.joinable()) thread_.join();
}

bool Thread::start(Procedure procedure, std::intptr_t parameter, int priority) {
  if (thread_.joinable()) return false;
  auto shared = std::make_shared<Shared>();
  shared->priority = priority;
  try {
    thread_ = std::thread([shared, procedure = std::move(procedure), parameter] {
      shared->tid = gettid();
      apply_priority(shared->tid, shared->priority);
      shared->exit_code = procedure(parameter);
      {
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->running = false;
      }
      shared->ended.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  shared_ = std::move(shared);
  return true;
}

bool Thread::is_running() const { return shared_ != nullptr && shared_->running; }

bool Thread::wait_ended(int timeout_ms) const {
  if (shared_ == nullptr) return true;
  std::unique_lock<std::mutex> guard(shared_->lock);
  return shared_->ended.wait_for(guard, std::chrono::milliseconds(timeout_ms), [this] { return !shared_->running; });
}

void Thread::set_priority(int priority) {
  if (shared_ == nullptr) return;
  shared_->priority = priority;
  apply_priority(shared_->tid, priority);
}

int Thread::exit_code() const { return shared_ != nullptr ? shared_->exit_code.load() : 0; }

void Thread::wait() {
  if (thread_.joinable()) thread_.join();
}

void Thread::detach() {
  if (thread_.joinable()) thread_.detach();
}

}  // namespace sonvale::platform
