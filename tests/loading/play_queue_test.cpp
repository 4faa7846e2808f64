// The play queue's accounting and the now-playing times drawn from it.

#include "loading/play_queue.h"

#include <gtest/gtest.h>

#include "loading/draw_track_time.h"
#include "loading/track_time.h"
#include "platform/player_ids.h"
#include "platform/ui_headless.h"

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

TEST(PlayQueue, ARecordShorterThanARequestPassesItsOvershootOn) {
  PlayQueue queue;
  queue.append("A", "one", 1000, 0);
  queue.append("B", "none", 0, 0);  // a track that gave nothing
  queue.append("C", "two", 100, 0);
  queue.append("D", "three", 5000, 0);
  queue.advance(1200, 1);
  EXPECT_EQ(queue.front()->line1, "D");
  EXPECT_EQ(queue.front()->bytes_played, 100);
}

TEST(PlayQueue, AStreamEndingShortCorrectsItsOwnRecord) {
  PlayQueue queue;
  queue.append("A", "one", 1000, 0, TrackOrigin{1, 11, 7});
  queue.append("B", "two", 8000, 0, TrackOrigin{1, 12, 8});
  queue.set_length(8, 3000);
  queue.set_length(9, 1);  // no record of that stream
  queue.advance(900, 1);
  const auto records = queue.records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].length, 1000);
  EXPECT_EQ(records[1].length, 3000);
  EXPECT_EQ(records[1].origin.entry, 12u);
  queue.advance(3500, 1);  // through the corrected length
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

TEST(DrawTrackTime, PaintsThePanelOnItsBackgroundAndShowsIt) {
  platform::HeadlessUi ui;
  ui.open_window(ids::kMainWindow, platform::Rect{0, 0, 700, 700}, "Sonvale", 0);
  ui.create_gadget(ids::kMainWindow, ids::kBanner, platform::GadgetKind::Image, {150, 60, 540, 100}, "");
  ui.create_image(ids::kBlankPanelImage, 540, 100);
  ui.create_image(ids::kPanelImage, 540, 100);
  PlayQueue queue;
  draw_track_time(ui, queue, 44100);
  EXPECT_EQ(ui.gadget_image(ids::kBanner), ids::kBlankPanelImage);

  const std::int64_t second = 44100 * 8;
  queue.append("Album", "Song", 291 * second, 0x606000);
  queue.advance(static_cast<std::uint32_t>(207 * second), 1);
  draw_track_time(ui, queue, 44100);
  EXPECT_EQ(ui.gadget_image(ids::kBanner), ids::kPanelImage);
  const std::vector<platform::ImageOp> ops = ui.image_ops(ids::kPanelImage);
  ASSERT_GE(ops.size(), 6u);
  const auto last = ops.end() - 6;
  EXPECT_EQ(last[0].source, ids::kBlankPanelImage);
  EXPECT_EQ(last[1].text, "Album");
  EXPECT_EQ(last[2].text, "Song");
  EXPECT_EQ(last[3].text, "00:03:27 / 00:04:51");
  EXPECT_EQ(last[3].font, ids::kFontB);
  EXPECT_EQ(last[3].back, 0xA00000u);
  EXPECT_EQ(last[5].rect, (platform::Rect{10, 85, 373, 5}));
  EXPECT_EQ(last[5].colour, 0x606000u);
}

}  // namespace
}  // namespace sonvale::loading
