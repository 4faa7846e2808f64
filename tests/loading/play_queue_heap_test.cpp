// The device callback advances the play queue on the device's thread: it must never
// touch the heap, nor wait while another thread does so under the queue's lock. This
// program counts and holds heap calls per thread, so it is a test program of its own.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include "loading/play_queue.h"

namespace {

thread_local bool t_counted = false;  // this thread's heap calls are counted
thread_local int t_heap_calls = 0;
thread_local bool t_held = false;     // this thread's heap calls wait while the gate is shut
std::atomic<bool> g_gate_shut{false};
std::atomic<bool> g_held_at_gate{false};

void note_heap_call() {
  if (t_counted) ++t_heap_calls;
  if (t_held) {
    g_held_at_gate = true;
    while (g_gate_shut.load()) std::this_thread::yield();
  }
}

void* allocate(std::size_t bytes) {
  note_heap_call();
  if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
  throw std::bad_alloc();
}

void release(void* p) noexcept {
  if (p == nullptr) return;
  note_heap_call();
  std::free(p);
}

}  // namespace

void* operator new(std::size_t bytes) { return allocate(bytes); }
void* operator new[](std::size_t bytes) { return allocate(bytes); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace sonvale::loading {
namespace {

// Longer than any string keeps in place, so that copying or dropping it uses the heap.
const std::string kLongTitle(64, 't');

TEST(PlayQueueHeap, AdvanceNeitherAllocatesNorFreesWhenItDropsRecords) {
  PlayQueue queue;
  for (int i = 0; i < 3; ++i) queue.append(kLongTitle, kLongTitle, 1000, 0);
  t_counted = true;
  queue.advance(2500, 1);  // two records used up and dropped
  queue.advance(100, 1);
  t_counted = false;
  EXPECT_EQ(t_heap_calls, 0);
  ASSERT_TRUE(queue.front().has_value());
  EXPECT_EQ(queue.front()->bytes_played, 600);
  EXPECT_EQ(queue.records().size(), 1u);
}

TEST(PlayQueueHeap, TheCallbackNeverWaitsOnThePanelsCopyOfTheText) {
  PlayQueue queue;
  queue.append(kLongTitle, kLongTitle, 1'000'000, 0);
  g_gate_shut = true;
  std::thread panel([&] {
    t_held = true;
    const auto front = queue.front();  // its heap calls are held at the gate
    t_held = false;
    EXPECT_TRUE(front.has_value());
  });
  while (!g_held_at_gate.load()) std::this_thread::yield();

  std::atomic<bool> advanced{false};
  std::thread callback([&] {
    queue.advance(4096, 1);
    advanced = true;
  });
  // Only decides "hung": the advance takes microseconds unless it waits on the panel.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!advanced.load() && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
  EXPECT_TRUE(advanced.load()) << "the advance waited for the panel's copy";

  g_gate_shut = false;
  panel.join();
  callback.join();
  EXPECT_EQ(queue.front()->bytes_played, 4096);
}

}  // namespace
}  // namespace sonvale::loading
