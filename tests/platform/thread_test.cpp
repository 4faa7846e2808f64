#include "platform/thread.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>

#include "platform/time.h"

namespace sonvale::platform {
namespace {

TEST(Thread, RunsWithItsParameterAndReportsItsEnd) {
  std::atomic<bool> release{false};
  Thread thread;
  ASSERT_TRUE(thread.start(
      [&](std::intptr_t parameter) {
        while (!release) sleep_ms(1);
        return static_cast<int>(parameter) * 2;
      },
      21, kPriorityNormal));
  EXPECT_TRUE(thread.is_running());
  EXPECT_FALSE(thread.wait_ended(1));  // still held: the wait runs out
  release = true;
  // The end is seen when it comes; the long limit only decides "hung".
  EXPECT_TRUE(thread.wait_ended(60'000));
  EXPECT_FALSE(thread.is_running());
  EXPECT_EQ(thread.exit_code(), 42);
  EXPECT_TRUE(thread.wait_ended(0));
  EXPECT_TRUE(Thread().wait_ended(0));  // nothing started, nothing to wait for
}

TEST(Thread, TakesItsPriorityAsANiceValue) {
  std::atomic<int> seen{-100};
  Thread thread;
  ASSERT_TRUE(thread.start(
      [&](std::intptr_t) {
        errno = 0;
        seen = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        return 0;
      },
      0, kPriorityLowest));
  thread.wait();
  EXPECT_EQ(seen, 19);
}

TEST(Thread, PriorityScaleMapsOntoNiceValues) {
  EXPECT_EQ(nice_for_priority(kPriorityLowest), 19);
  EXPECT_EQ(nice_for_priority(kPriorityBelowNormal), 1);
  EXPECT_EQ(nice_for_priority(kPriorityNormal), 0);
  EXPECT_EQ(nice_for_priority(kPriorityAboveNormal), -4);
  EXPECT_EQ(nice_for_priority(kPriorityHighest), -15);
  EXPECT_EQ(nice_for_priority(32), -20);
}

TEST(Thread, CannotStartTwiceWhileOwned) {
  Thread thread;
  ASSERT_TRUE(thread.start([](std::intptr_t) { return 0; }, 0, kPriorityNormal));
  EXPECT_FALSE(thread.start([](std::intptr_t) { return 0; }, 0, kPriorityNormal));
}

}  // namespace
}  // namespace sonvale::platform
