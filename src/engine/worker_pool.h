#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

namespace sonvale::engine {

// Threads that compute the shares of a stage, kept from one stage to the next. The
// caller computes share 0 itself; a stage returns only when every share has.
class WorkerPool {
 public:
  static constexpr int kMaxThreads = 32;

  WorkerPool();
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Runs share(t) for t = 0 .. threads-1 (at most kMaxThreads): share 0 on the calling
  // thread, the others on workers given the priority (1..32 scale). A worker that
  // cannot be started has its share computed on the calling thread afterwards.
  template <class Share>
  void run(int threads, int priority, Share&& share) {
    using S = std::remove_reference_t<Share>;
    dispatch(threads, priority, [](void* s, int t) { (*static_cast<S*>(s))(t); },
             const_cast<void*>(static_cast<const void*>(&share)));
  }

  // How many times run() has been called: lets an observer tell the stages apart.
  std::uint64_t jobs_started() const { return jobs_started_.load(std::memory_order_acquire); }

 private:
  struct Worker;
  using Call = void (*)(void* context, int share);

  void dispatch(int threads, int priority, Call call, void* context);
  // Starts workers up to `count` (counting the caller); returns how many now exist.
  int grow(int count, int priority);
  int worker_loop(int index, std::uint64_t seen);

  // Guarded by lock_: the job workers pick up and its progress.
  std::mutex lock_;
  std::condition_variable job_posted_;
  std::condition_variable job_done_;
  std::uint64_t generation_ = 0;
  int shares_ = 0;
  int pending_ = 0;
  bool quit_ = false;
  Call call_ = nullptr;
  void* context_ = nullptr;

  // Touched only by the thread that calls run() and the destructor.
  std::vector<std::unique_ptr<Worker>> workers_;
  std::atomic<std::uint64_t> jobs_started_{0};
};

}  // namespace sonvale::engine
