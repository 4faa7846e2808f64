#include "engine/worker_pool.h"

#include <cassert>

#include "platform/thread.h"

namespace sonvale::engine {

struct WorkerPool::Worker {
  platform::Thread thread;
  int priority = 0;
};

WorkerPool::WorkerPool() = default;

WorkerPool::~WorkerPool() {
  {
    std::lock_guard guard(lock_);
    quit_ = true;
  }
  job_posted_.notify_all();
  workers_.clear();  // each Thread waits for its worker to return
}

int WorkerPool::grow(int count, int priority) {
  while (static_cast<int>(workers_.size()) + 1 < count) {
    auto worker = std::make_unique<Worker>();
    const int index = static_cast<int>(workers_.size()) + 1;
    // The new worker starts after the jobs posted so far: it must not take them up.
    const auto procedure = [this, seen = generation_](std::intptr_t t) {
      return worker_loop(static_cast<int>(t), seen);
    };
    if (!worker->thread.start(procedure, index, priority))
      break;
    worker->priority = priority;
    workers_.push_back(std::move(worker));
  }
  return static_cast<int>(workers_.size()) + 1;
}

void WorkerPool::dispatch(int threads, int priority, Call call, void* context) {
  assert(threads >= 1 && threads <= kMaxThreads);
  jobs_started_.fetch_add(1, std::memory_order_release);
  const int started = threads > 1 ? grow(threads, priority) : 1;
  const int on_workers = (threads < started ? threads : started) - 1;
  for (int t = 0; t < on_workers; ++t) {
    Worker& worker = *workers_[t];
    if (worker.priority != priority) {
      worker.thread.set_priority(priority);
      worker.priority = priority;
    }
  }
  if (on_workers > 0) {
    {
      std::lock_guard guard(lock_);
      call_ = call;
      context_ = context;
      shares_ = on_workers + 1;
      pending_ = on_workers;
      ++generation_;
    }
    job_posted_.notify_all();
  }
  call(context, 0);
  for (int t = on_workers + 1; t < threads; ++t) call(context, t);
  if (on_workers > 0) {
    std::unique_lock guard(lock_);
    job_done_.wait(guard, [this] { return pending_ == 0; });
  }
}

int WorkerPool::worker_loop(int index, std::uint64_t seen) {
  std::unique_lock guard(lock_);
  for (;;) {
    job_posted_.wait(guard, [&] { return quit_ || generation_ != seen; });
    if (quit_) return 0;
    seen = generation_;
    if (index >= shares_) continue;
    const Call call = call_;
    void* const context = context_;
    guard.unlock();
    call(context, index);
    guard.lock();
    if (--pending_ == 0) job_done_.notify_one();
  }
}

}  // namespace sonvale::engine
