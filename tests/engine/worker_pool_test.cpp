#include "engine/worker_pool.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <thread>

#include "platform/thread.h"

namespace sonvale::engine {
namespace {

TEST(WorkerPool, EveryShareRunsOnceWhateverTheThreadCountBeforeRunReturns) {
  WorkerPool pool;
  const std::thread::id caller = std::this_thread::get_id();
  // Growing, shrinking and growing again: workers started later must not pick up
  // jobs that were handed out before they existed.
  for (int threads : {1, 4, 2, 32, 3, 32, 1, 7}) {
    std::array<int, WorkerPool::kMaxThreads> runs{};
    std::thread::id share0;
    pool.run(threads, 16, [&](int t) {
      ++runs[t];
      if (t == 0) share0 = std::this_thread::get_id();
    });
    for (int t = 0; t < WorkerPool::kMaxThreads; ++t) EXPECT_EQ(runs[t], t < threads ? 1 : 0) << threads << " " << t;
    EXPECT_EQ(share0, caller);
  }
  EXPECT_EQ(pool.jobs_started(), 8u);
}

TEST(WorkerPool, WorkersTakeThePriorityOfEachJob) {
  WorkerPool pool;
  // Lowering a priority needs no rights; raising it might.
  for (int priority : {15, 14, 9}) {
    std::array<int, 3> nice{};
    pool.run(3, priority, [&](int t) { nice[t] = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); });
    EXPECT_EQ(nice[1], platform::nice_for_priority(priority));
    EXPECT_EQ(nice[2], platform::nice_for_priority(priority));
  }
}

}  // namespace
}  // namespace sonvale::engine
