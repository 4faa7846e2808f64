// The main window's loop driven by injected clicks on the headless backend.

#include "shell/event_loop.h"

#include <gtest/gtest.h>

#include <thread>

#include "audiolib/asio.h"
#include "event_loop_fixture.h"
#include "platform/player_ids.h"
#include "platform/time.h"
#include "support/audio_fixtures.h"

namespace sonvale::shell {
namespace {

using platform::EventKind;
using EventLoop = EventLoopFixture;

TEST_F(EventLoop, StartsWithRedX1AndLpfGreen) {
  EXPECT_EQ(text(ids::kSelectorX1), "Red x 1");
  EXPECT_EQ(back(ids::kSelectorX1), platform::rgb(128, 0, 64));
  EXPECT_EQ(text(ids::kSelectorX2), "x 2");
  EXPECT_EQ(back(ids::kLpfButton), platform::rgb(0, 96, 96));
  EXPECT_EQ(app_.playback.post_filter, 1);
  EXPECT_EQ(app_.player.volume, 1.0f);
}

TEST_F(EventLoop, SelectorsCycleWithTwoProcessorsAndShowTheOutputRate) {
  app_.playback.processor_count = 2;
  app_.playback.source_rate = 44100;
  const char* x2[] = {"Green x 2", "Brown x 2", "White x 2", "Green x 2"};
  for (const char* label : x2) {
    click(ids::kSelectorX2);
    EXPECT_EQ(text(ids::kSelectorX2), label);
  }
  EXPECT_EQ(text(ids::kRateDisplay), "88200");
  EXPECT_EQ(text(ids::kSelectorX1), "x 1");
  const char* x4[] = {"Green x 4", "Red x 4", "Brown x 4", "White x 4", "Green x 4"};
  for (const char* label : x4) {
    click(ids::kSelectorX4);
    EXPECT_EQ(text(ids::kSelectorX4), label);
  }
  EXPECT_EQ(back(ids::kSelectorX2), platform::kNavy);
  EXPECT_EQ(text(ids::kRateDisplay), "176400");
  click(ids::kSelectorX1);  // from another selector x1 starts at Red
  EXPECT_EQ(text(ids::kSelectorX1), "Red x 1");
  click(ids::kSelectorX1);
  EXPECT_EQ(text(ids::kSelectorX1), "Green x 1");
  EXPECT_EQ(back(ids::kSelectorX1), platform::rgb(0, 96, 96));
  EXPECT_EQ(text(ids::kRateDisplay), "44100");

  const int filters[] = {2, 3, 0, 1};
  for (int filter : filters) {
    click(ids::kLpfButton);
    EXPECT_EQ(app_.playback.post_filter, filter);
  }
  EXPECT_EQ(text(ids::kLpfButton), "LPF");
}

TEST_F(EventLoop, OneProcessorNeverOffersBrownWhiteOrLpfBrown) {
  app_.playback.processor_count = 1;
  passes_ = -1'000'000;  // no recount during the test
  for (int i = 0; i < 4; ++i) {
    click(ids::kSelectorX2);
    EXPECT_EQ(text(ids::kSelectorX2), "Green x 2");
  }
  click(ids::kSelectorX4);
  click(ids::kSelectorX4);
  click(ids::kSelectorX4);
  EXPECT_EQ(text(ids::kSelectorX4), "Green x 4");  // Red, then straight back to Green
  const int filters[] = {2, 0, 1, 2, 0};
  for (int filter : filters) {
    click(ids::kLpfButton);
    EXPECT_EQ(app_.playback.post_filter, filter);
  }
}

TEST_F(EventLoop, At96kHzTimesTwoWorksAndTimesFourDoesNothing) {
  app_.playback.source_rate = 96000;
  click(ids::kSelectorX2);
  EXPECT_EQ(text(ids::kSelectorX2), "Green x 2");
  EXPECT_EQ(text(ids::kRateDisplay), "192000");
  click(ids::kSelectorX4);
  EXPECT_EQ(text(ids::kSelectorX4), "x 4");
  EXPECT_EQ(text(ids::kSelectorX2), "Green x 2");
}

TEST_F(EventLoop, TheChainGivesEachClickToTheGadgetUnderThePointer) {
  EXPECT_FALSE(ui_.is_gadget_hidden(ids::kCounterLabel));
  click(ids::kBanner);  // the first banner click takes the launch counter's label away
  EXPECT_EQ(app_.banner_flag, 0);
  EXPECT_TRUE(ui_.is_gadget_hidden(ids::kCounterLabel));

  click(ids::volume_step(15));
  EXPECT_EQ(app_.player.volume, 0.5f);
  click(ids::kRateDisplay);  // not in the chain: nothing happens
  ui_.set_cursor({1, 1});     // on no gadget at all
  ui_.inject(platform::Event(EventKind::LeftButtonDown, ids::kMainWindow));
  pass();
  EXPECT_EQ(app_.player.volume, 0.5f);
  EXPECT_EQ(text(ids::kRateDisplay), "0");

  // A right click on the logo while idle runs the input mode, which starts from LPF
  // green; a second one leaves it.
  app_.playback.processor_count = 2;
  for (int i = 0; i < 2; ++i) click(ids::kLpfButton);
  ASSERT_EQ(app_.playback.post_filter, 3);
  const platform::Rect logo = ui_.gadget_screen_rect(ids::kLogo);
  ui_.set_cursor({logo.x + 5, logo.y + 5});
  ui_.inject(platform::Event(EventKind::RightButtonDown, ids::kMainWindow));
  std::thread user([this] {
    // The input list is filled last on entry, after the pending events were taken.
    while (ui_.selected_list_item(ids::kInputList) != 0) platform::sleep_ms(1);
    ui_.inject(platform::Event(EventKind::RightButtonDown, ids::kMainWindow));
  });
  EXPECT_TRUE(pass());
  user.join();
  EXPECT_EQ(app_.playback.post_filter, 1);
  EXPECT_FALSE(ui_.is_gadget_hidden(ids::kPlayButton));
  EXPECT_TRUE(ui_.is_gadget_hidden(ids::kAdjustButton));
}

TEST_F(EventLoop, StopWhileIdleOnlyResetsThePauseLabel) {
  ui_.set_gadget_text(ids::kPauseButton, "PAUSED");
  click(ids::kStopButton);
  EXPECT_EQ(text(ids::kPauseButton), "PAUSE");
  EXPECT_EQ(text(ids::kRateDisplay), "0");
  click(ids::kSkipButton);  // SKIP takes the click only while a track plays
  EXPECT_EQ(app_.loader.playing_page, 0);
}

TEST_F(EventLoop, RepeatSortAndClearActOnTheVisiblePage) {
  click(ids::page_label(2));
  EXPECT_FALSE(ui_.is_gadget_hidden(ids::page_list(2)));
  EXPECT_TRUE(ui_.is_gadget_hidden(ids::page_list(1)));
  click(ids::kRepeatButton);
  EXPECT_EQ(text(ids::page_label(2)), "Two R");
  click(ids::kRepeatButton);
  EXPECT_EQ(text(ids::page_label(2)), "Two");

  for (const char* caption : {"Sort by dir", "Sort by made", "Sort by name"}) {
    click(ids::kSortButton);
    EXPECT_EQ(text(ids::kSortButton), caption);
  }

  add_entries(2, {"a", "b", "c"});
  ui_.select_list_item(ids::page_list(2), 1, true);
  click(ids::kClearButton);
  EXPECT_EQ(app_.playlist.size(2), 2u);
  EXPECT_EQ(ui_.list_item_text(ids::page_list(2), 1), "c");
  click(ids::kClearButton);  // nothing selected: the whole page
  EXPECT_EQ(app_.playlist.size(2), 0u);
}

TEST_F(EventLoop, ACloseRequestInMiniModeIsLetGo) {
  click(ids::kMiniModeButton);
  EXPECT_TRUE(app_.mini_mode);
  EXPECT_FALSE(ui_.is_window_visible(ids::kMainWindow));
  EXPECT_TRUE(ui_.is_window_visible(ids::kMiniWindow));
  ui_.inject(platform::Event(EventKind::CloseWindow, ids::kMainWindow));
  EXPECT_TRUE(pass());
  ui_.inject(platform::Event(EventKind::Gadget, ids::kMiniWindow, ids::kOrbButton));
  EXPECT_TRUE(pass());
  EXPECT_FALSE(app_.mini_mode);
  EXPECT_TRUE(ui_.is_window_visible(ids::kMainWindow));
  ui_.inject(platform::Event(EventKind::CloseWindow, ids::kMainWindow));
  EXPECT_FALSE(pass());
}

TEST_F(EventLoop, SkipMovesOnToTheNextPage) {
  test::TempDir dir;
  // Longer than two blocks, so that the engine is still on it when SKIP comes.
  test::write_wav(dir.file("long.wav"), test::reference_pcm(44100, 2, 16, 2 * engine::kBlockFrames + 1000));
  // Long enough to be still heard when the test looks, even on a slow machine.
  test::write_wav(dir.file("short.wav"), test::reference_pcm(44100, 2, 16, 5 * 44100));
  for (auto [page, file] : {std::pair{1, "long.wav"}, std::pair{2, "short.wav"}}) {
    click(ids::page_label(page));
    drop(dir.file(file));
  }
  use_null_output();
  click(ids::page_label(1));
  click(ids::kPlayButton);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(app_.loader.playing_page, 1);
  click(ids::kSkipButton);
  EXPECT_TRUE(audiolib::BASS_ASIO_IsStarted());
  // Heard now: page 2's track (the engine has gone on around the pages behind it).
  ASSERT_TRUE(app_.play_queue.front().has_value());
  EXPECT_EQ(app_.play_queue.front()->line2, "short");
  EXPECT_EQ(back(ids::kPlayButton), back(ids::page_label(1)));  // painted for the page started from
  click(ids::kStopButton);
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
}

// A card borrowed from nobody in particular.
class HeldCard final : public platform::CardReservation {
 public:
  bool acquire(int card) override {
    card_ = card;
    return true;
  }
  void release() override { card_ = -1; }
  int held_card() const override { return card_; }

 private:
  int card_ = -1;
};

// The engine has read all three tracks into its first block before the first is
// heard: SKIP still goes to the track after the one heard, and stops only after
// the last. The card stays borrowed through the restarts and is given back then.
TEST_F(EventLoop, SkipGoesToTheTrackAfterTheOneHeardNotAfterTheOnesReadAhead) {
  HeldCard card;
  app_.player.card_reservation = &card;
  app_.player.card_of = [](const output::OutputChoice&) { return std::optional<int>(3); };
  test::TempDir dir;
  click(ids::page_label(1));
  for (const char* name : {"a", "b", "c"}) {
    const std::string path = dir.file(std::string(name) + ".wav");
    test::write_wav(path, test::reference_pcm(44100, 2, 16, 20 * 44100));
    drop(path);
  }
  ASSERT_EQ(app_.playlist.size(1), 3u);
  use_null_output();
  click(ids::kPlayButton);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(app_.loader.playing_page, -1);  // all read already
  for (const char* heard_next : {"b", "c"}) {
    click(ids::kSkipButton);
    ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted()) << heard_next;
    ASSERT_TRUE(app_.play_queue.front().has_value());
    EXPECT_EQ(app_.play_queue.front()->line2, heard_next);
    EXPECT_EQ(card.held_card(), 3);
  }
  click(ids::kSkipButton);
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(app_.loader.playing_page, 0);
  EXPECT_TRUE(app_.play_queue.empty());
  EXPECT_EQ(card.held_card(), -1);
  app_.player.card_reservation = nullptr;
}

TEST_F(EventLoop, SkipOnTheLastTrackOfTheLastPageStops) {
  test::TempDir dir;
  test::write_wav(dir.file("a.wav"), test::reference_pcm(44100, 2, 16, 3000));
  click(ids::page_label(1));
  drop(dir.file("a.wav"));
  ASSERT_EQ(app_.playlist.size(1), 1u);
  use_null_output();
  click(ids::kPlayButton);
  ASSERT_TRUE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(app_.banner_flag, 0);
  EXPECT_EQ(app_.loader.playing_page, -1);  // the engine has read past the only track
  click(ids::kSkipButton);
  EXPECT_FALSE(audiolib::BASS_ASIO_IsStarted());
  EXPECT_EQ(app_.loader.playing_page, 0);
  EXPECT_TRUE(app_.play_queue.empty());
  EXPECT_EQ(back(ids::kPlayButton), platform::kNavy);
}

}  // namespace
}  // namespace sonvale::shell
