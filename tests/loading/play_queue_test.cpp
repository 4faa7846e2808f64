// The play queue's accounting and the now-playing times drawn from it.

#include "loading/play_queue.h"

#include <gtest/gtest.h>

#include "loading/track_time.h"

namespace sonvale::loading {
namespace {

TEST(PlayQueue, AdvanceDropsARecordUsedUpAndCarriesTheOvershoot) {
  PlayQueue queue;
  queue.advance(100, 1);  // nothing queued: nothing happens
  queue.append("A", "one", 1000, 0);
  queue.append("B", "two", 2000, 0);
  queue.advance(1500, 1);
  ASSERT_EQ(queue.records().size(), 1u);
  EXPECT_EQ(queue.front()->line1, "B");
  EXPECT_EQ(queue.front()->bytes_played, 500);
}

TEST(PlayQueue, AdvanceCountsSourceBytesAtTheOutputRate) {
  PlayQueue queue;
  queue.append("A", "one", 100000, 0);
  queue.advance(4096, 4);
  EXPECT_EQ(queue.front()->bytes_played, 1024);
  queue.advance(4097, 2);  // truncated toward zero
  EXPECT_EQ(queue.front()->bytes_played, 1024 + 2048);
  queue.clear();
  EXPECT_TRUE(queue.empty());
}

TEST(TrackTime, ShowsElapsedAndTotalOfTheFrontRecord) {
  PlayQueue queue;
  EXPECT_FALSE(track_time(queue, 44100).has_value());
  const std::int64_t second = 44100 * 8;
  queue.append("Album", "Song", 291 * second, 0x606000);
  queue.advance(static_cast<std::uint32_t>(207 * second), 1);
  const auto t = track_time(queue, 44100);
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(format_clock(t->elapsed_seconds) + " / " + format_clock(t->total_seconds), "00:03:27 / 00:04:51");
  EXPECT_EQ(t->bar_width, 373);  // 207 / 291 of 525, truncated
  EXPECT_EQ(t->colour, 0x606000u);
}

TEST(TrackTime, AnHourLongTrackAndHoursWrappingAtADay) {
  PlayQueue queue;
  queue.append("A", "long", std::int64_t{44100} * 8 * 3600, 0);
  EXPECT_EQ(format_clock(track_time(queue, 44100)->total_seconds), "01:00:00");
  EXPECT_EQ(format_clock(25 * 3600 + 61), "01:01:01");
  EXPECT_EQ(track_time(queue, 0)->total_seconds, 0);  // no rate yet: no division by zero
}

}  // namespace
}  // namespace sonvale::loading
